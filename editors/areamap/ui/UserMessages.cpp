// Message boxes, questions and file choices of Vellisk's windows.
#include "editors/areamap/ui/UserMessages.h"

#include "platform/system/MessageBox.h"

EPromptIcon PromptIcon(platform::MessageIcon icon)
{
    switch (icon) {
    case platform::MessageIcon::Warning:
        return EPromptIcon::Exclamation;
    case platform::MessageIcon::Information:
        return EPromptIcon::Information;
    case platform::MessageIcon::Error:
        return EPromptIcon::Error;
    default:
        return EPromptIcon::None;
    }
}

void ShowUserMessage(const vellisk::CUserMessage& message, QWidget* parent)
{
    Prompts().MessageBox(message.text, message.caption, EPromptButtons::Ok, PromptIcon(message.icon), parent);
}

void CVelliskPrompts::Message(const vellisk::CUserMessage& message)
{
    ShowUserMessage(message, m_pParent);
}

CVelliskPrompts::Answer CVelliskPrompts::Ask(const vellisk::CUserMessage& question, bool withCancel)
{
    switch (Prompts().MessageBox(question.text, question.caption,
                                 withCancel ? EPromptButtons::YesNoCancel : EPromptButtons::YesNo,
                                 PromptIcon(question.icon), m_pParent)) {
    case IDYES:
        return Answer::Yes;
    case IDNO:
        return Answer::No;
    default:
        return withCancel ? Answer::Cancel : Answer::No;
    }
}

std::string CVelliskPrompts::SaveAreaMapName()
{
    std::string path;
    if (!Prompts().SaveFile(AreaMapFileChoice(m_strDataFolder, "Save As", m_pParent), &path))
        return {};
    return path;
}

FileChoice AreaMapFileChoice(const std::string& dataFolder, const std::string& title, QWidget* parent)
{
    return FileChoice{"zra", dataFolder + "/*.zra", "Area Map Files (*.zra)|*.zra|All Files (*.*)|*.*||", title,
                      parent};
}
