// The relay's settings and their file "L3.ini".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Settings in memory; only the address and the port are used.
struct L3_DEMO_STRUCT {
    char address[50];
    int32_t port;
    float value1;
    float value2;
    float value3;
    float value4;
};

// Largest part of "L3.ini" that is read; the six lines sit at its start.
constexpr size_t kL3iniReadLimit = 64 * 1024;

// Takes the text of "L3.ini": up to six lines of a key and a value, by position (blank lines are skipped,
// keys are not checked). Line 1 is the group address (cut to 49 characters), line 2 the port, lines 3 to 6
// the four numbers. A line without a value leaves its field as it was. Returns how many values were taken.
int ParseL3ini(const char* text, size_t size, L3_DEMO_STRUCT* L3_data);

// Whether the address and the port can be used: an address of four numbers 0-255 joined by dots, nothing else,
// and a port from 1 to 65535. False with the reason (one line) when not.
bool CheckL3Settings(const L3_DEMO_STRUCT& settings, std::string& error);

// Reads "L3.ini" from the given folder (any letter case of the name) into the settings.
// A missing file leaves them unchanged and gives false.
bool LoadL3ini(const char* m_szWorkingDirectory, L3_DEMO_STRUCT* L3_data);
