// The scripted prompt service of the editors' tests.
#include "editors/common/ScriptedPrompts.h"

#include <gtest/gtest.h>

namespace {

const char* KindName(CScriptedPrompts::EKind kind)
{
    switch (kind) {
    case CScriptedPrompts::EKind::Message:
        return "message box";
    case CScriptedPrompts::EKind::OpenFile:
        return "open-file choice";
    case CScriptedPrompts::EKind::SaveFile:
        return "save-file choice";
    case CScriptedPrompts::EKind::Folder:
        return "folder choice";
    }
    return "prompt";
}

// The answer that changes nothing.
int SafeAnswer(EPromptButtons buttons)
{
    switch (buttons) {
    case EPromptButtons::Ok:
        return IDOK;
    case EPromptButtons::YesNo:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

} // namespace

CScriptedPrompts::CScriptedPrompts() : m_pPrevious(SetPromptService(this)) {}

CScriptedPrompts::~CScriptedPrompts()
{
    SetPromptService(m_pPrevious);
    for (const Step& step : m_script)
        ADD_FAILURE() << "scripted " << KindName(step.kind) << " never asked"
                      << (step.match.empty() ? std::string() : " (\"" + step.match + "\")");
}

CScriptedPrompts& CScriptedPrompts::ExpectMessage(const std::string& textPart, int answer, const std::string& caption)
{
    m_script.push_back(Step{EKind::Message, textPart, caption, answer, {}});
    return *this;
}

CScriptedPrompts& CScriptedPrompts::ExpectOpenFile(const std::string& path)
{
    m_script.push_back(Step{EKind::OpenFile, {}, {}, IDOK, path});
    return *this;
}

CScriptedPrompts& CScriptedPrompts::ExpectSaveFile(const std::string& path)
{
    m_script.push_back(Step{EKind::SaveFile, {}, {}, IDOK, path});
    return *this;
}

CScriptedPrompts& CScriptedPrompts::ExpectFolder(const std::string& folder)
{
    m_script.push_back(Step{EKind::Folder, {}, {}, IDOK, folder});
    return *this;
}

std::vector<CScriptedPrompts::Prompt> CScriptedPrompts::Messages() const
{
    std::vector<Prompt> out;
    for (const Prompt& p : m_log)
        if (p.kind == EKind::Message)
            out.push_back(p);
    return out;
}

bool CScriptedPrompts::TakeStep(EKind kind, const std::string& what, Step* step)
{
    if (m_script.empty()) {
        ADD_FAILURE() << "unscripted " << KindName(kind) << ": " << what;
        return false;
    }
    if (m_script.front().kind != kind) {
        ADD_FAILURE() << "expected a " << KindName(m_script.front().kind) << ", got a " << KindName(kind) << ": "
                      << what;
        return false;
    }
    *step = m_script.front();
    m_script.pop_front();
    return true;
}

int CScriptedPrompts::MessageBox(const std::string& text, const std::string& caption, EPromptButtons buttons,
                                 EPromptIcon icon, QWidget*)
{
    Prompt prompt;
    prompt.kind = EKind::Message;
    prompt.text = text;
    prompt.caption = caption;
    prompt.buttons = buttons;
    prompt.icon = icon;
    prompt.answer = SafeAnswer(buttons);
    const bool scripted = !m_script.empty() && m_script.front().kind == EKind::Message;
    if (buttons == EPromptButtons::Ok && m_bAllowPlain && !scripted) {
        m_log.push_back(prompt);
        return IDOK;
    }
    Step step;
    if (TakeStep(EKind::Message, "\"" + caption + "\": " + text, &step)) {
        if (text.find(step.match) == std::string::npos || (!step.caption.empty() && step.caption != caption))
            ADD_FAILURE() << "message box \"" << caption << "\": \"" << text << "\" is not the scripted \""
                          << step.caption << "\": \"" << step.match << "\"";
        else
            prompt.answer = step.answer;
    }
    m_log.push_back(prompt);
    return prompt.answer;
}

bool CScriptedPrompts::AnswerPath(EKind kind, const FileChoice& choice, const std::string& start,
                                  const std::string& title, std::string* path)
{
    Prompt prompt;
    prompt.kind = kind;
    prompt.text = title;
    prompt.choice = choice;
    prompt.choice.parent = nullptr;
    prompt.start = start;
    Step step;
    if (TakeStep(kind, choice.filter.empty() ? start : choice.filter, &step))
        prompt.path = step.path;
    m_log.push_back(prompt);
    if (prompt.path.empty())
        return false;
    *path = prompt.path;
    return true;
}

bool CScriptedPrompts::OpenFile(const FileChoice& choice, std::string* path)
{
    return AnswerPath(EKind::OpenFile, choice, {}, choice.title, path);
}

bool CScriptedPrompts::ChooseSaveName(const FileChoice& choice, std::string* path)
{
    return AnswerPath(EKind::SaveFile, choice, {}, choice.title, path);
}

bool CScriptedPrompts::ChooseFolder(const std::string& title, const std::string& startFolder, QWidget*,
                                    std::string* folder)
{
    return AnswerPath(EKind::Folder, FileChoice{}, startFolder, title, folder);
}
