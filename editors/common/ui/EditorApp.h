// The editors' application object: start-up and exit hooks around Qt's event loop, the program's name and start
// folder, the core's message boxes shown as prompts, the beep and the wait cursor.
#pragma once

#include "editors/common/ui/Prompts.h"

#include <functional>
#include <string>

class QWidget;

class CEditorApp {
public:
    // One application object per process, made in main after the QApplication. It remembers the current folder
    // (the data folder the editor was started in) and routes the core's message boxes to Prompts().
    explicit CEditorApp(std::string appName);
    virtual ~CEditorApp();
    CEditorApp(const CEditorApp&) = delete;
    CEditorApp& operator=(const CEditorApp&) = delete;

    // Builds the windows; false ends the program without an event loop.
    virtual bool InitInstance() { return true; }
    // Runs after the event loop (or a failed InitInstance); its result is the exit code.
    virtual int ExitInstance() { return 0; }
    // InitInstance, the event loop while a window is open, ExitInstance.
    int Run();

    // The application object, null when none exists.
    static CEditorApp* GetApp();
    // Message-box captions use it ("Import OK" is titled with it).
    const std::string& GetAppName() const { return m_strAppName; }
    // The current folder when the object was made, without a trailing '/'.
    const std::string& GetStartFolder() const { return m_strStartFolder; }

    QWidget* m_pMainWnd = nullptr;

private:
    std::string m_strAppName;
    std::string m_strStartFolder;
    CCoreMessageBoxes m_coreBoxes;
};

// The system's warning sound; tests replace it with a hook (an empty one restores the sound). Returns the old hook.
void MessageBeep();
std::function<void()> SetBeepHook(std::function<void()> hook);

// The wait cursor for as long as the object lives.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
