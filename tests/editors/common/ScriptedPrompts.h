// A prompt service for tests: each message box, file or folder choice must be scripted, in order. An unscripted
// or mismatched prompt fails the test and gets the answer that changes nothing (Cancel, No, OK), so a test never
// waits for a user.
#pragma once

#include "editors/common/ui/Prompts.h"

#include <deque>
#include <string>
#include <vector>

class CScriptedPrompts : public CPromptService {
public:
    enum class EKind { Message, OpenFile, SaveFile, Folder };

    // What the code under test asked, in order.
    struct Prompt {
        EKind kind = EKind::Message;
        std::string text;    // message text, or the folder title
        std::string caption; // message caption
        EPromptButtons buttons = EPromptButtons::Ok;
        EPromptIcon icon = EPromptIcon::None;
        FileChoice choice; // file choices (parent not kept)
        std::string start; // folder choice: the start folder
        int answer = 0;    // message answer
        std::string path;  // file or folder answer ("" for cancel)
    };

    // Installs itself as Prompts() until destroyed (then the service before it comes back).
    CScriptedPrompts();
    // Fails the test for scripted answers never used.
    ~CScriptedPrompts() override;
    CScriptedPrompts(const CScriptedPrompts&) = delete;
    CScriptedPrompts& operator=(const CScriptedPrompts&) = delete;

    // The next prompt is a message box whose text contains `textPart` (any text when empty) and, when given,
    // whose caption is `caption`; it is answered with `answer` (IDOK, IDCANCEL, IDYES, IDNO).
    CScriptedPrompts& ExpectMessage(const std::string& textPart, int answer = IDOK, const std::string& caption = {});
    // The next prompt is an open-file choice answered with the path ("" cancels).
    CScriptedPrompts& ExpectOpenFile(const std::string& path);
    // The next prompt is a save-file choice answered with the path as typed ("" cancels); the service's save rules
    // follow (default extension; a replace question, itself a message to script, for an existing file).
    CScriptedPrompts& ExpectSaveFile(const std::string& path);
    CScriptedPrompts& ExpectFolder(const std::string& folder);
    // Plain OK boxes need no script while on (they are still logged).
    void AllowPlainMessages(bool allow) { m_bAllowPlain = allow; }

    const std::vector<Prompt>& Log() const { return m_log; }
    // The logged message boxes only.
    std::vector<Prompt> Messages() const;
    size_t Pending() const { return m_script.size(); }

    int MessageBox(const std::string& text, const std::string& caption, EPromptButtons buttons, EPromptIcon icon,
                   QWidget* parent = nullptr) override;
    bool OpenFile(const FileChoice& choice, std::string* path) override;
    bool ChooseFolder(const std::string& title, const std::string& startFolder, QWidget* parent,
                      std::string* folder) override;

protected:
    bool ChooseSaveName(const FileChoice& choice, std::string* path) override;

private:
    struct Step {
        EKind kind;
        std::string match;
        std::string caption;
        int answer = IDOK;
        std::string path;
    };
    bool TakeStep(EKind kind, const std::string& what, Step* step);
    bool AnswerPath(EKind kind, const FileChoice& choice, const std::string& start, const std::string& title,
                    std::string* path);

    std::deque<Step> m_script;
    std::vector<Prompt> m_log;
    bool m_bAllowPlain = false;
    CPromptService* m_pPrevious;
};
