// The prompt service: filter and file-name rules, the save rules, the Qt dialogs and the core's boxes.
#include "editors/common/ui/Prompts.h"

#include "editors/common/ui/Text.h"
#include "platform/system/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include <filesystem>

namespace {

CPromptService* g_pService = nullptr;

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return s;
}

// Windows wildcards: '*' any run, '?' one character.
bool WildcardMatch(const char* p, const char* s)
{
    while (*p) {
        if (*p == '*') {
            while (*p == '*')
                ++p;
            if (!*p)
                return true;
            for (; *s; ++s)
                if (WildcardMatch(p, s))
                    return true;
            return false;
        }
        if (!*s || (*p != '?' && *p != *s))
            return false;
        ++p;
        ++s;
    }
    return !*s;
}

std::string FileNameOf(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

QString FromPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Qt's form of a filter: the description without its pattern list, then the patterns Qt should use ("*.*" means
// every file on Windows, "*" here).
QStringList QtNameFilters(const std::vector<FileFilter>& filters)
{
    QStringList out;
    for (const FileFilter& f : filters) {
        std::string text = f.description;
        size_t open = text.rfind('(');
        if (open != std::string::npos && text.back() == ')')
            text = Trim(text.substr(0, open));
        QStringList patterns;
        for (const std::string& p : f.patterns)
            patterns << (p == "*.*" ? QStringLiteral("*") : FromPath(p));
        out << ToQString(text) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

// Qt's own file dialog (the same everywhere, with filters that ignore letter case).
void PrepareFileDialog(QFileDialog& dialog, const FileChoice& choice)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs);
    const std::vector<FileFilter> filters = ParseFileFilter(choice.filter);
    if (!filters.empty())
        dialog.setNameFilters(QtNameFilters(filters));
    std::string folder, name;
    SplitInitialName(choice.initialName, &folder, &name);
    dialog.setDirectory(FromPath(folder.empty() ? std::string(".") : folder));
    if (!name.empty() && name.find_first_of("*?") == std::string::npos)
        dialog.selectFile(FromPath(name));
    if (!choice.title.empty())
        dialog.setWindowTitle(ToQString(choice.title));
}

bool RunFileDialog(QFileDialog& dialog, std::string* path)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    *path = ToPath(QDir::cleanPath(dialog.selectedFiles().first()));
    return !path->empty();
}

class CoreBoxBackend : public platform::IMessageBoxBackend {
public:
    void Show(const platform::MessageRecord& message) override
    {
        EPromptIcon icon = EPromptIcon::None;
        switch (message.icon) {
        case platform::MessageIcon::Information:
            icon = EPromptIcon::Information;
            break;
        case platform::MessageIcon::Warning:
            icon = EPromptIcon::Exclamation;
            break;
        case platform::MessageIcon::Error:
            icon = EPromptIcon::Error;
            break;
        default:
            break;
        }
        Prompts().MessageBox(message.text, message.title, EPromptButtons::Ok, icon);
    }
};

} // namespace

std::vector<FileFilter> ParseFileFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < filter.size()) {
        size_t bar = filter.find('|', start);
        if (bar == std::string::npos)
            bar = filter.size();
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    std::vector<FileFilter> out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty())
            break; // the closing "||"
        FileFilter f;
        f.description = parts[i];
        size_t from = 0;
        const std::string& list = parts[i + 1];
        while (from <= list.size()) {
            size_t semi = list.find(';', from);
            if (semi == std::string::npos)
                semi = list.size();
            std::string p = Trim(list.substr(from, semi - from));
            if (!p.empty())
                f.patterns.push_back(p);
            from = semi + 1;
        }
        out.push_back(f);
    }
    return out;
}

bool MatchesFilter(const std::string& fileName, const FileFilter& filter)
{
    const std::string name = Lower(FileNameOf(fileName));
    for (const std::string& p : filter.patterns) {
        if (p == "*.*" || p == "*")
            return true;
        if (WildcardMatch(Lower(p).c_str(), name.c_str()))
            return true;
    }
    return false;
}

std::string WithDefaultExtension(const std::string& path, const std::string& defaultExt)
{
    const std::string name = FileNameOf(path);
    if (defaultExt.empty() || name.empty() || name.find('.') != std::string::npos)
        return path;
    return path + "." + defaultExt;
}

void SplitInitialName(const std::string& initialName, std::string* folder, std::string* name)
{
    std::string path = initialName;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    size_t slash = path.rfind('/');
    if (folder)
        *folder = slash == std::string::npos ? std::string() : (slash == 0 ? std::string("/") : path.substr(0, slash));
    if (name)
        *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

bool CPromptService::SaveFile(const FileChoice& choice, std::string* path)
{
    for (;;) {
        std::string chosen;
        if (!ChooseSaveName(choice, &chosen) || chosen.empty())
            return false;
        chosen = WithDefaultExtension(chosen, choice.defaultExt);
        std::error_code ec;
        const auto status = std::filesystem::status(chosen, ec);
        if (!std::filesystem::exists(status) || std::filesystem::is_directory(status)) {
            *path = chosen;
            return true;
        }
        const std::string question = FileNameOf(chosen) + " already exists.\nDo you want to replace it?";
        if (MessageBox(question, choice.title.empty() ? "Save As" : choice.title, EPromptButtons::YesNo,
                       EPromptIcon::Exclamation, choice.parent) == IDYES) {
            *path = chosen;
            return true;
        }
    }
}

CPromptService& Prompts()
{
    static CQtPromptService qt;
    return g_pService ? *g_pService : qt;
}

CPromptService* SetPromptService(CPromptService* service)
{
    CPromptService* old = g_pService;
    g_pService = service;
    return old;
}

int CQtPromptService::MessageBox(const std::string& text, const std::string& caption, EPromptButtons buttons,
                                 EPromptIcon icon, QWidget* parent)
{
    QMessageBox box(parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(ToQString(text));
    box.setWindowTitle(ToQString(caption));
    switch (icon) {
    case EPromptIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case EPromptIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case EPromptIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case EPromptIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case EPromptIcon::None:
        break;
    }
    QMessageBox::StandardButton first = QMessageBox::Ok, escape = QMessageBox::Ok;
    switch (buttons) {
    case EPromptButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case EPromptButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        escape = QMessageBox::Cancel;
        break;
    case EPromptButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        first = QMessageBox::Yes;
        escape = QMessageBox::No;
        break;
    case EPromptButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        first = QMessageBox::Yes;
        escape = QMessageBox::Cancel;
        break;
    }
    box.setDefaultButton(first);
    box.setEscapeButton(escape);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    switch (clicked ? box.standardButton(clicked) : escape) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

bool CQtPromptService::OpenFile(const FileChoice& choice, std::string* path)
{
    QFileDialog dialog(choice.parent);
    PrepareFileDialog(dialog, choice);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!choice.defaultExt.empty())
        dialog.setDefaultSuffix(FromPath(choice.defaultExt));
    return RunFileDialog(dialog, path);
}

bool CQtPromptService::ChooseSaveName(const FileChoice& choice, std::string* path)
{
    QFileDialog dialog(choice.parent);
    PrepareFileDialog(dialog, choice);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The service asks about replacing, after adding the default extension.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    return RunFileDialog(dialog, path);
}

bool CQtPromptService::ChooseFolder(const std::string& title, const std::string& startFolder, QWidget* parent,
                                    std::string* folder)
{
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!title.empty())
        dialog.setWindowTitle(ToQString(title));
    std::string start = startFolder;
    for (char& c : start)
        if (c == '\\')
            c = '/';
    dialog.setDirectory(FromPath(start.empty() ? std::string(".") : start));
    return RunFileDialog(dialog, folder);
}

struct CCoreMessageBoxes::Backend {
    CoreBoxBackend backend;
    platform::IMessageBoxBackend* previous = nullptr;
};

CCoreMessageBoxes::CCoreMessageBoxes() : m_pBackend(std::make_unique<Backend>())
{
    m_pBackend->previous = platform::SetMessageBoxBackend(&m_pBackend->backend);
}

CCoreMessageBoxes::~CCoreMessageBoxes()
{
    platform::SetMessageBoxBackend(m_pBackend->previous);
}
