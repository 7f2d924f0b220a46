// The application object, the beep hook and the wait cursor.
#include "editors/common/ui/EditorApp.h"

#include "platform/system/Paths.h"

#include <QApplication>
#include <QCursor>

namespace {

CEditorApp* g_pApp = nullptr;

std::function<void()>& BeepHook()
{
    static std::function<void()> hook;
    return hook;
}

} // namespace

CEditorApp::CEditorApp(std::string appName)
    : m_strAppName(std::move(appName)), m_strStartFolder(platform::CurrentFolder())
{
    g_pApp = this;
    QApplication::setApplicationName(QString::fromStdString(m_strAppName));
}

CEditorApp::~CEditorApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

int CEditorApp::Run()
{
    if (InitInstance() && m_pMainWnd)
        QApplication::exec();
    return ExitInstance();
}

CEditorApp* CEditorApp::GetApp()
{
    return g_pApp;
}

void MessageBeep()
{
    if (BeepHook())
        BeepHook()();
    else
        QApplication::beep();
}

std::function<void()> SetBeepHook(std::function<void()> hook)
{
    std::function<void()> old = std::move(BeepHook());
    BeepHook() = std::move(hook);
    return old;
}

CWaitCursor::CWaitCursor()
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

CWaitCursor::~CWaitCursor()
{
    QApplication::restoreOverrideCursor();
}
