// Message boxes and debugger output with a recorded history.
#include "platform/system/MessageBox.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace platform {
namespace {

struct MessageState {
    std::mutex lock;
    IMessageBoxBackend* backend = nullptr;
    std::vector<MessageRecord> messages;
    std::vector<std::string> debug;
    bool echo = true;
};

// The record keeps the latest lines only, so a long run does not grow without end.
constexpr size_t kMaxRecorded = 1000;

template <class T> void PushBounded(std::vector<T>& list, T item)
{
    if (list.size() >= kMaxRecorded)
        list.erase(list.begin(), list.begin() + kMaxRecorded / 2);
    list.push_back(std::move(item));
}

MessageState& State()
{
    static MessageState state;
    return state;
}

const char* IconName(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return "info";
    case MessageIcon::Warning:
        return "warning";
    case MessageIcon::Error:
        return "error";
    default:
        return "message";
    }
}

} // namespace

void ShowMessageBox(const std::string& text, const std::string& title, MessageIcon icon)
{
    MessageRecord record{text, title, icon};
    IMessageBoxBackend* backend = nullptr;
    {
        std::lock_guard<std::mutex> guard(State().lock);
        PushBounded(State().messages, record);
        backend = State().backend;
        if (!backend && State().echo)
            std::fprintf(stderr, "[%s] %s: %s\n", IconName(icon), title.c_str(), text.c_str());
    }
    if (backend)
        backend->Show(record);
}

void ReportUnloadableFile(const std::string& path, const std::string& title)
{
    const std::string text = " Couldn't load " + path + "\n";
    ShowMessageBox(text, title);
    DebugOutput(text);
}

void DebugOutput(const std::string& text)
{
    std::lock_guard<std::mutex> guard(State().lock);
    PushBounded(State().debug, text);
    if (State().echo)
        std::fprintf(stderr, "%s%s", text.c_str(), (!text.empty() && text.back() == '\n') ? "" : "\n");
}

IMessageBoxBackend* SetMessageBoxBackend(IMessageBoxBackend* backend)
{
    std::lock_guard<std::mutex> guard(State().lock);
    IMessageBoxBackend* old = State().backend;
    State().backend = backend;
    return old;
}

std::vector<MessageRecord> RecordedMessages()
{
    std::lock_guard<std::mutex> guard(State().lock);
    return State().messages;
}

std::vector<std::string> RecordedDebugOutput()
{
    std::lock_guard<std::mutex> guard(State().lock);
    return State().debug;
}

void ClearRecordedMessages()
{
    std::lock_guard<std::mutex> guard(State().lock);
    State().messages.clear();
    State().debug.clear();
}

void SetMessageEcho(bool echo)
{
    std::lock_guard<std::mutex> guard(State().lock);
    State().echo = echo;
}

} // namespace platform
