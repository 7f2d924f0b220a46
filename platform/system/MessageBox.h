// Message boxes and debugger output: one call each, with a swappable backend and a record tests can read.
#pragma once

#include <string>
#include <vector>

namespace platform {

enum class MessageIcon { None, Information, Warning, Error };

struct MessageRecord {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
};

// Where message boxes go. The default backend writes to stderr; a window system installs a real dialog.
class IMessageBoxBackend {
public:
    virtual ~IMessageBoxBackend() = default;
    virtual void Show(const MessageRecord& message) = 0;
};

// Shows a message box (never blocks with the default backend) and records it.
void ShowMessageBox(const std::string& text, const std::string& title, MessageIcon icon = MessageIcon::None);

// The one report of a picture, font, cursor or sound file that is missing or cannot be read: " Couldn't load
// <path>" in a box titled `title` (the loader's name) and in the debug output.
void ReportUnloadableFile(const std::string& path, const std::string& title);

// Text meant for developers: stderr and the record.
void DebugOutput(const std::string& text);

// Installs a backend (not owned); null restores the stderr backend. Returns the backend installed before.
IMessageBoxBackend* SetMessageBoxBackend(IMessageBoxBackend* backend);

// What has been shown or written since the last clear (the latest 1,000 at most).
std::vector<MessageRecord> RecordedMessages();
std::vector<std::string> RecordedDebugOutput();
void ClearRecordedMessages();

// Silences stderr echo (the record is kept); tests that expect many messages use it.
void SetMessageEcho(bool echo);

} // namespace platform
