// The players' message log, event log and review list, their wrapping and trimming, and the "ZR-Log.txt" file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Message kinds of the players' log.
enum EMessageKind : int32_t {
    kMsgChat = 0,        // chat or system line
    kMsgEvent = 1,       // event text
    kMsgReview = 2,      // after-action review entry
    kMsgHiddenEvent = 3, // event text seen only with the show-hidden flag
};

constexpr int32_t kSenderSystem = -3; // this machine
constexpr int32_t kSenderNotice = -4; // this machine's own notice: a system line, no player name in front
constexpr size_t kLogLineMax = 420;   // characters of one line
constexpr size_t kLogCapacity = 1500; // lines of a log, entries of the review list
constexpr size_t kScoreTextMax = 59;  // characters of a review entry's score text
constexpr int kMaxMessagePage = 39;   // the largest page a panel shows
constexpr int kChatPage = 16;         // lines of the de-briefing chat view

constexpr uint32_t kColourEvent = 0xC85555;
constexpr uint32_t kColourOwnInPlay = 0x0A0A0A;
constexpr uint32_t kColourOwnFrontEnd = 0xC8C8C8;
constexpr uint32_t kColourOtherPlayer = 0x0A640A;

// Bits of the HUD's message-filter mask (the positions of the items of its "Msg Filters" menu).
constexpr int32_t kMsgFilterEventsOnly = 0x1;
constexpr int32_t kMsgFilterHidden = 0x2;

// Styles of a log line's background.
constexpr int kLogStyleTransparent = 1;
constexpr int kLogStyleOpaque = 2;

struct CLogLine {
    std::string strText;
    int32_t nMessage = 0; // number of the message the line belongs to, from 1
    int32_t nKind = 0;
    uint32_t crColour = 0;
};

// A row of a panel: one piece of a message wrapped to the panel, with the index of the view line its message
// starts on (whose colour and style it takes).
struct CViewRow {
    std::string strText;
    int nSource = 0;
};

// One stored list of lines with its scroll position (the number of the last line shown) and message counter.
struct CLogList {
    std::vector<CLogLine> aLines;
    int nScroll = 0;
    int nCounter = 0;

    int Count() const { return static_cast<int>(aLines.size()); }
    void Clear()
    {
        aLines.clear();
        nScroll = 0;
        nCounter = 0;
    }
    // Adds a line; the scroll position follows when it was at the end or when `toEnd` is set. Trims at capacity.
    void Add(CLogLine line, bool toEnd);
};

// The record of a review entry.
struct CReviewRecord {
    int32_t nKind = kMsgReview;
    std::string strScoreText;
    int32_t nTime = 0; // HHMM
    int32_t nZR = 0;
    int32_t nSafety = 0;
    int32_t nMedia = 0;
    int32_t nCost = 0;
};

struct CReviewEntry {
    std::string strText;
    uint32_t crColour = 0;
    CReviewRecord rec;
};

// The three in-memory lists and the log file.
class CMessageLog {
public:
    CMessageLog() = default;
    ~CMessageLog() { CloseFile(); }
    CMessageLog(const CMessageLog&) = delete;
    CMessageLog& operator=(const CMessageLog&) = delete;

    // Splits a line by character count: width 60, 70 or 40 by the caller's mode; pieces of at most width + 17.
    static std::vector<std::string> WrapText(const std::string& text, int width);
    // Splits a line so each piece measures less than `panelWidth` pixels by `measure` (a word wider than the
    // panel is cut to its longest head that fits). `measure` must not shrink as a text grows, as a sum of
    // glyph advances does: the breaks are found by searching, with a few measures a line.
    static std::vector<std::string> WrapTextToWidth(const std::string& text, int panelWidth,
                                                    const std::function<int(const std::string&)>& measure);
    // Joins the view's lines that are pieces of one message (stored wrapped for whatever panel was shown then)
    // and wraps each message again for the panel that draws it.
    static std::vector<CViewRow> WrapViewToWidth(const std::vector<CLogLine>& view, int panelWidth,
                                                 const std::function<int(const std::string&)>& measure);

    // Stores one message's wrapped lines. `stored` says whether it goes to the message log (and, for events,
    // the event log); `writeLines` whether kinds 0, 1 and 3 are written to the file; review entries are
    // always written while the file is open. `time` is the game time (HHMM) of a review entry.
    void WriteAAREvent(const std::vector<std::string>& lines, const std::string& unwrapped, uint32_t colour,
                       int32_t kind, int32_t sender, bool stored, bool writeLines, int32_t time);

    // Writes the score line and fills the most recent review entry (none: the entry is left alone).
    void ApplyScoreChange(const std::string& text, int32_t zr, int32_t safety, int32_t media, int32_t cost,
                          int32_t time, bool writeLine);

    // Rebuilds the lists from a log file; malformed lines are skipped. False when the file cannot be read.
    bool LoadAAREvents(const std::string& path);
    // The same over bytes already in memory.
    void LoadAAREventsFromText(const std::string& text);

    // Fills up to `pageSize` lines ending at the list's scroll position. From the event log when `events` is set.
    std::vector<CLogLine> FillView(int pageSize, bool events) const;
    // Lines of the message log after index `from` (at most a chat page).
    std::vector<CLogLine> FillChatViewFrom(int from) const;
    // Up to 16 lines ending at the chat position (raised to the last line when it lies below it and under 16).
    std::vector<CLogLine> FillChatView();

    void Clear();

    // The log file: a new empty one, or an existing one opened for appending.
    bool OpenNew(const std::string& path);
    bool OpenAppend(const std::string& path);
    void CloseFile();
    bool IsFileOpen() const { return m_pFile != nullptr; }

    CLogList m_messages;
    CLogList m_events;
    std::vector<CReviewEntry> m_aReview;
    int m_nReviewScroll = 0;
    int m_nChatScroll = 0;

private:
    // One line of the file, unflushed: the caller flushes once its message is written.
    void WriteFileLine(const char* tag, const char* colour, const std::string& text);
    void AddReview(CReviewEntry entry);

    FILE* m_pFile = nullptr;
};

// Parses a whole score line ("Score,text,HHMM , ZR, +n, Safety, +n, Media, +n, Cost, +n, "). False when malformed.
bool ParseScoreLine(const std::string& line, CReviewRecord& rec);
