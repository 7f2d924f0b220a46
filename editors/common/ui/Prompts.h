// The one prompt service of the editors: message boxes, Yes/No(/Cancel) questions, open and save file choices and
// the folder choice. The real service shows Qt dialogs; tests install a scripted one.
#pragma once

#include <memory>
#include <string>
#include <vector>

class QWidget;

// Button sets and answers of a message box (the Windows ids of the answers).
enum class EPromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class EPromptIcon { None, Information, Exclamation, Error, Question };
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// One file-dialog filter: what the list shows and its patterns ("*.zri", "*.*").
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;
};

// A file choice as the editors ask for it.
struct FileChoice {
    // Default extension without the dot ("zri"): added when the chosen name has none.
    std::string defaultExt;
    // Initial name: a folder and/or a name ("*.zri", "C:\data\*.zre", "/data/Maps/*.bmp"); a name with wildcards
    // is not preselected. No folder starts in the current folder.
    std::string initialName;
    // The filter list in the Windows form "Scenerio Files (*.zri)|*.zri|All Files (*.*)|*.*||".
    std::string filter;
    std::string title;
    QWidget* parent = nullptr;
};

// Splits a Windows filter string into its filters; patterns are separated by ';'.
std::vector<FileFilter> ParseFileFilter(const std::string& filter);
// True when the file name (without folder) matches one of the patterns, letter case ignored.
bool MatchesFilter(const std::string& fileName, const FileFilter& filter);
// The chosen name with the default extension added when its file name has no extension.
std::string WithDefaultExtension(const std::string& path, const std::string& defaultExt);
// The folder and file-name parts of a choice's initial name (separators normalised to '/').
void SplitInitialName(const std::string& initialName, std::string* folder, std::string* name);

class CPromptService {
public:
    virtual ~CPromptService() = default;

    // A message box; returns IDOK, IDCANCEL, IDYES or IDNO. Closing the box gives IDCANCEL (IDNO for Yes/No).
    virtual int MessageBox(const std::string& text, const std::string& caption, EPromptButtons buttons,
                           EPromptIcon icon, QWidget* parent = nullptr) = 0;
    // An existing file to open; false when cancelled.
    virtual bool OpenFile(const FileChoice& choice, std::string* path) = 0;
    // A folder; false when cancelled.
    virtual bool ChooseFolder(const std::string& title, const std::string& startFolder, QWidget* parent,
                              std::string* folder) = 0;

    // A file to write: the name chosen need not exist; the default extension is added to a name without one, and
    // an existing file is only taken after "Yes" to the replace question (No chooses again). False when cancelled.
    bool SaveFile(const FileChoice& choice, std::string* path);

protected:
    // The raw choice of a name to save under, before the rules above.
    virtual bool ChooseSaveName(const FileChoice& choice, std::string* path) = 0;
};

// The service in use (the Qt one unless another is installed).
CPromptService& Prompts();
// Installs a service (not owned); null goes back to the Qt one. Returns the one installed before (null for the Qt
// one).
CPromptService* SetPromptService(CPromptService* service);

// The Qt service: QMessageBox and Qt's own file dialog (filters ignore letter case).
class CQtPromptService : public CPromptService {
public:
    int MessageBox(const std::string& text, const std::string& caption, EPromptButtons buttons, EPromptIcon icon,
                   QWidget* parent = nullptr) override;
    bool OpenFile(const FileChoice& choice, std::string* path) override;
    bool ChooseFolder(const std::string& title, const std::string& startFolder, QWidget* parent,
                      std::string* folder) override;

protected:
    bool ChooseSaveName(const FileChoice& choice, std::string* path) override;
};

// Makes the core's message boxes (platform::ShowMessageBox) go through Prompts(); the destructor puts back the
// backend that was there before.
class CCoreMessageBoxes {
public:
    CCoreMessageBoxes();
    ~CCoreMessageBoxes();
    CCoreMessageBoxes(const CCoreMessageBoxes&) = delete;
    CCoreMessageBoxes& operator=(const CCoreMessageBoxes&) = delete;

private:
    struct Backend;
    std::unique_ptr<Backend> m_pBackend;
};
