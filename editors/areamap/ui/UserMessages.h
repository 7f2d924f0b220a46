// The model's messages and questions shown through the editors' prompt service.
#pragma once

#include "editors/areamap/model/VelliskApp.h"
#include "editors/common/ui/Prompts.h"

class QWidget;

EPromptIcon PromptIcon(platform::MessageIcon icon);
// An OK box of the message.
void ShowUserMessage(const vellisk::CUserMessage& message, QWidget* parent);

// The file commands' prompts: boxes, questions and the ".zra" save choice, parented to the frame.
class CVelliskPrompts : public vellisk::IVelliskPrompts {
public:
    CVelliskPrompts(QWidget* parent, std::string dataFolder) : m_pParent(parent), m_strDataFolder(std::move(dataFolder))
    {
    }
    void Message(const vellisk::CUserMessage& message) override;
    Answer Ask(const vellisk::CUserMessage& question, bool withCancel) override;
    std::string SaveAreaMapName() override;

private:
    QWidget* m_pParent;
    std::string m_strDataFolder;
};

// The choices of ".zra" files: "<data>/*.zra", "Area Map Files (*.zra)|*.zra|All Files (*.*)|*.*||".
FileChoice AreaMapFileChoice(const std::string& dataFolder, const std::string& title, QWidget* parent);
