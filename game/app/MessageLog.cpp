// Storing, wrapping, trimming and paging the players' logs, and writing and reading "ZR-Log.txt".
#include "game/app/MessageLog.h"

#include "platform/system/Paths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <strings.h>

namespace {

constexpr size_t kFileLineMax = 1024; // longer lines in a log file are malformed

bool EqualsNoCase(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

std::string OneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return fields;
        start = comma + 1;
    }
}

bool ParseInt(const std::string& field, int32_t& value)
{
    const char* s = field.c_str();
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s, &end, 10);
    if (end == s || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

// "tag,colour,text": false when the line has fewer than three fields.
bool SplitTagged(const std::string& line, std::string& tag, std::string& colour, std::string& text)
{
    size_t first = line.find(',');
    if (first == std::string::npos)
        return false;
    size_t second = line.find(',', first + 1);
    if (second == std::string::npos)
        return false;
    tag = line.substr(0, first);
    colour = line.substr(first + 1, second - first - 1);
    text = line.substr(second + 1, kLogLineMax);
    return true;
}

// The last index in [first, last] at which `holds` is true, or `none` when it is true at none, for a `holds`
// that is true up to some index and false after it. Steps from `first` by doubling strides, then halves the
// gap: a short answer costs a few short measures, not one per index.
template <typename Holds> size_t LastHolding(size_t first, size_t last, size_t none, Holds holds)
{
    if (first > last || !holds(first))
        return none;
    size_t good = first;
    size_t bad = last + 1;
    for (size_t stride = 1; good < last; stride *= 2) {
        const size_t probe = last - good > stride ? good + stride : last;
        if (!holds(probe)) {
            bad = probe;
            break;
        }
        good = probe;
    }
    while (bad - good > 1) {
        const size_t mid = good + (bad - good) / 2;
        if (holds(mid))
            good = mid;
        else
            bad = mid;
    }
    return good;
}

template <typename T> void TrimOldestHalf(std::vector<T>& items, int& scroll)
{
    if (items.size() < kLogCapacity)
        return;
    size_t drop = kLogCapacity / 2;
    items.erase(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(drop));
    scroll = std::max(0, scroll - static_cast<int>(drop));
}

} // namespace

void CLogList::Add(CLogLine line, bool toEnd)
{
    bool atEnd = nScroll >= Count();
    aLines.push_back(std::move(line));
    if (atEnd || toEnd)
        nScroll = Count();
    TrimOldestHalf(aLines, nScroll);
}

std::vector<std::string> CMessageLog::WrapText(const std::string& text, int width)
{
    std::vector<std::string> pieces;
    const size_t limit = static_cast<size_t>(std::max(width, 1)) + 17;
    size_t pos = 0;
    while (text.size() - pos >= limit) {
        std::string window = text.substr(pos, limit);
        size_t blank = window.rfind(' ');
        if (blank == std::string::npos) {
            pieces.push_back(window);
            pos += limit;
        } else {
            pieces.push_back(window.substr(0, blank));
            pos += blank + 1;
        }
    }
    // A cut that ends the text leaves no empty last line.
    if (pos < text.size() || pieces.empty())
        pieces.push_back(text.substr(pos));
    return pieces;
}

std::vector<std::string> CMessageLog::WrapTextToWidth(const std::string& text, int panelWidth,
                                                      const std::function<int(const std::string&)>& measure)
{
    std::vector<std::string> lines;
    const size_t n = text.size();
    std::string span;
    auto fits = [&](size_t from, size_t to) {
        span.assign(text, from, to - from);
        return measure(span) < panelWidth;
    };
    std::vector<size_t> ends; // ends of the words from the line's start, found as far as the searches look
    size_t scanned = 0;
    auto wordEnd = [&](size_t j) {
        while (ends.size() <= j && scanned < n) {
            size_t k = scanned;
            while (k < n && text[k] == ' ')
                ++k;
            if (k >= n) {
                scanned = n;
                break;
            }
            while (k < n && text[k] != ' ')
                ++k;
            ends.push_back(k);
            scanned = k;
        }
        return j < ends.size() ? ends[j] : std::string::npos;
    };
    size_t pos = 0;
    while (pos < n) {
        while (pos < n && text[pos] == ' ')
            ++pos;
        if (pos >= n)
            break;
        ends.clear();
        scanned = pos;
        // Words are added while the line measures less than the panel: the last word that keeps it so.
        const size_t words = LastHolding(0, n, std::string::npos, [&](size_t j) {
            const size_t k = wordEnd(j);
            return k != std::string::npos && fits(pos, k);
        });
        size_t end = words == std::string::npos ? pos : ends[words];
        if (end == pos) {
            // One word wider than the panel: its longest head that fits, at least one character.
            end = LastHolding(pos + 2, ends[0] - 1, pos + 1, [&](size_t k) { return fits(pos, k); });
        }
        size_t last = end;
        while (last > pos && text[last - 1] == ' ')
            --last;
        lines.push_back(text.substr(pos, last - pos));
        pos = end;
    }
    if (lines.empty())
        lines.emplace_back();
    return lines;
}

std::vector<CViewRow> CMessageLog::WrapViewToWidth(const std::vector<CLogLine>& view, int panelWidth,
                                                   const std::function<int(const std::string&)>& measure)
{
    std::vector<CViewRow> rows;
    for (size_t i = 0; i < view.size();) {
        const CLogLine& first = view[i];
        std::string text = first.strText;
        size_t next = i + 1;
        while (next < view.size() && first.nMessage > 0 && view[next].nMessage == first.nMessage &&
               view[next].nKind == first.nKind && view[next].crColour == first.crColour)
            text += " " + view[next++].strText;
        for (std::string& piece : WrapTextToWidth(text, panelWidth, measure))
            rows.push_back({std::move(piece), static_cast<int>(i)});
        i = next;
    }
    return rows;
}

void CMessageLog::WriteAAREvent(const std::vector<std::string>& lines, const std::string& unwrapped, uint32_t colour,
                                int32_t kind, int32_t sender, bool stored, bool writeLines, int32_t time)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string text = lines[i].substr(0, kLogLineMax);
        const bool first = i == 0;
        if (stored && first) {
            ++m_messages.nCounter;
            if (kind == kMsgEvent || kind == kMsgHiddenEvent)
                ++m_events.nCounter;
        }
        if (kind == kMsgReview && first) {
            CReviewEntry entry;
            entry.strText = unwrapped.substr(0, kLogLineMax);
            entry.crColour = colour;
            entry.rec.nTime = time;
            WriteFileLine("AAR Event", "Red", entry.strText);
            AddReview(std::move(entry));
        }
        if (writeLines) {
            if (kind == kMsgChat)
                WriteFileLine("Msg", "Black", text);
            else if (kind == kMsgEvent)
                WriteFileLine("Event", "Red", text);
            else if (kind == kMsgHiddenEvent)
                WriteFileLine("Hidden Event", "Red", text);
        }
        if (stored && kind != kMsgReview) {
            if (kind == kMsgEvent)
                m_events.Add({text, m_events.nCounter, kind, colour}, sender == kSenderSystem);
            // The chat view follows new lines while it shows the end, and always moves there for this machine's.
            const int before = m_messages.Count();
            const bool chatAtEnd = m_nChatScroll >= before;
            m_messages.Add({std::move(text), m_messages.nCounter, kind, colour}, sender == kSenderSystem);
            if (m_messages.Count() <= before)
                m_nChatScroll = std::max(0, m_nChatScroll - static_cast<int>(kLogCapacity / 2));
            if (chatAtEnd || sender == kSenderSystem)
                m_nChatScroll = m_messages.Count();
        }
    }
    // One flush for the message's lines, not one a line.
    if (m_pFile)
        std::fflush(m_pFile);
}

void CMessageLog::AddReview(CReviewEntry entry)
{
    bool atEnd = m_nReviewScroll >= static_cast<int>(m_aReview.size());
    m_aReview.push_back(std::move(entry));
    if (atEnd)
        m_nReviewScroll = static_cast<int>(m_aReview.size());
    TrimOldestHalf(m_aReview, m_nReviewScroll);
}

void CMessageLog::ApplyScoreChange(const std::string& text, int32_t zr, int32_t safety, int32_t media, int32_t cost,
                                   int32_t time, bool writeLine)
{
    if (writeLine && m_pFile) {
        std::fprintf(m_pFile, "%s,%s,%04d , ZR, %+d, Safety, %+d, Media, %+d, Cost, %+d, \n", "Score",
                     OneLine(text).c_str(), time, zr, safety, media, cost);
        std::fflush(m_pFile);
    }
    // A score change with no review entry before it has nothing to fill.
    if (m_aReview.empty())
        return;
    CReviewRecord& rec = m_aReview.back().rec;
    rec.strScoreText = text.substr(0, kScoreTextMax);
    rec.nZR = zr;
    rec.nSafety = safety;
    rec.nMedia = media;
    rec.nCost = cost;
}

void CMessageLog::WriteFileLine(const char* tag, const char* colour, const std::string& text)
{
    if (!m_pFile)
        return;
    std::fprintf(m_pFile, "%s,%s,%s\n", tag, colour, OneLine(text).c_str());
}

bool ParseScoreLine(const std::string& line, CReviewRecord& rec)
{
    std::vector<std::string> f = SplitFields(line);
    if (f.empty() || f[0] != "Score")
        return false;
    if (f.back().find_first_not_of(" \t") != std::string::npos)
        f.emplace_back();
    // Read from the right so a comma inside the score text cannot shift the numbers.
    const size_t m = f.size();
    if (m < 12)
        return false;
    CReviewRecord parsed = rec;
    if (!ParseInt(f[m - 10], parsed.nTime) || !ParseInt(f[m - 8], parsed.nZR) || !ParseInt(f[m - 6], parsed.nSafety) ||
        !ParseInt(f[m - 4], parsed.nMedia) || !ParseInt(f[m - 2], parsed.nCost))
        return false;
    rec = parsed;
    return true;
}

void CMessageLog::Clear()
{
    m_messages.Clear();
    m_events.Clear();
    m_aReview.clear();
    m_nReviewScroll = 0;
    m_nChatScroll = 0;
}

bool CMessageLog::LoadAAREvents(const std::string& path)
{
    FILE* file = platform::OpenFile(path, "rb");
    if (!file) {
        Clear();
        return false;
    }
    std::string text;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    std::fclose(file);
    LoadAAREventsFromText(text);
    return true;
}

void CMessageLog::LoadAAREventsFromText(const std::string& text)
{
    Clear();
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, std::min(end - start, kFileLineMax + 1));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(end - start > kFileLineMax ? std::string() : std::move(line));
        start = end + 1;
    }

    for (size_t i = 0; i < lines.size(); ++i) {
        std::string tag, colour, body;
        if (!SplitTagged(lines[i], tag, colour, body))
            continue;
        if (EqualsNoCase(tag, "AAR Event")) {
            CReviewEntry entry;
            entry.strText = body;
            entry.crColour = kColourEvent;
            if (i + 1 < lines.size() && lines[i + 1].compare(0, 6, "Score,") == 0) {
                ParseScoreLine(lines[i + 1], entry.rec);
                ++i;
            }
            AddReview(std::move(entry));
            continue;
        }
        int32_t kind;
        if (EqualsNoCase(tag, "Msg"))
            kind = kMsgChat;
        else if (EqualsNoCase(tag, "Event"))
            kind = kMsgEvent;
        else if (EqualsNoCase(tag, "Hidden Event"))
            kind = kMsgHiddenEvent;
        else
            continue;
        uint32_t crColour = EqualsNoCase(colour, "Black") ? kColourOwnInPlay : kColourEvent;
        ++m_messages.nCounter;
        m_messages.Add({body, m_messages.nCounter, kind, crColour}, true);
        if (kind != kMsgChat) {
            ++m_events.nCounter;
            m_events.Add({body, m_events.nCounter, kind, crColour}, true);
        }
    }
}

std::vector<CLogLine> CMessageLog::FillView(int pageSize, bool events) const
{
    const CLogList& list = events ? m_events : m_messages;
    pageSize = std::clamp(pageSize, 0, kMaxMessagePage);
    std::vector<CLogLine> view;
    int last = std::min(list.nScroll, list.Count());
    for (int p = last - pageSize + 1; p <= last; ++p) {
        if (p >= 1)
            view.push_back(list.aLines[static_cast<size_t>(p - 1)]);
    }
    return view;
}

std::vector<CLogLine> CMessageLog::FillChatViewFrom(int from) const
{
    std::vector<CLogLine> view;
    for (int i = std::max(from + 1, 0); i < m_messages.Count() && static_cast<int>(view.size()) < kChatPage; ++i)
        view.push_back(m_messages.aLines[static_cast<size_t>(i)]);
    return view;
}

std::vector<CLogLine> CMessageLog::FillChatView()
{
    const int count = m_messages.Count();
    if (m_nChatScroll < count && m_nChatScroll < kChatPage)
        m_nChatScroll = count;
    std::vector<CLogLine> view;
    int last = std::min(m_nChatScroll, count);
    for (int p = last - kChatPage + 1; p <= last; ++p) {
        if (p >= 1)
            view.push_back(m_messages.aLines[static_cast<size_t>(p - 1)]);
    }
    return view;
}

bool CMessageLog::OpenNew(const std::string& path)
{
    CloseFile();
    m_pFile = platform::OpenFile(path, "wb");
    return m_pFile != nullptr;
}

bool CMessageLog::OpenAppend(const std::string& path)
{
    CloseFile();
    m_pFile = platform::OpenFile(path, "ab");
    return m_pFile != nullptr;
}

void CMessageLog::CloseFile()
{
    if (m_pFile)
        std::fclose(m_pFile);
    m_pFile = nullptr;
}
