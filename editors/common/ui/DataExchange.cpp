// Data exchange between dialog members and controls: text, numbers, combo indices, check boxes, times.
#include "editors/common/ui/EditorDialog.h"

#include "editors/common/ui/ListHelpers.h"
#include "editors/common/ui/Text.h"
#include "editors/common/ui/TimeEdit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>

namespace {

// Where a multi-line edit remembers its stored text's line ends.
const char* const kCrLfProperty = "zrCrLf";

} // namespace

void DDX_Text(CDataExchange& dx, QLineEdit* edit, std::string& value, int maxChars)
{
    if (!edit || dx.Failed())
        return;
    if (!dx.m_bSaveAndValidate) {
        edit->setMaxLength(maxChars > 0 ? maxChars : 32767);
        edit->setText(ToQString(value));
        return;
    }
    value = FromQString(edit->text());
    if (maxChars >= 0 && value.size() > static_cast<size_t>(maxChars))
        value.resize(static_cast<size_t>(maxChars));
}

void DDX_Text(CDataExchange& dx, QPlainTextEdit* edit, std::string& value)
{
    if (!edit || dx.Failed())
        return;
    if (!dx.m_bSaveAndValidate) {
        bool crlf = true;
        edit->setPlainText(ToQString(LinesForEdit(value, &crlf)));
        edit->setProperty(kCrLfProperty, crlf);
        return;
    }
    const QVariant crlf = edit->property(kCrLfProperty);
    value = LinesFromEdit(FromQString(edit->toPlainText()), !crlf.isValid() || crlf.toBool());
}

void DDX_Int(CDataExchange& dx, QLineEdit* edit, int& value)
{
    if (!edit || dx.Failed())
        return;
    if (!dx.m_bSaveAndValidate)
        edit->setText(QString::number(value));
    else
        value = ReadDecimal(FromQString(edit->text()));
}

void DDX_CBIndex(CDataExchange& dx, QComboBox* combo, int& index)
{
    if (!combo || dx.Failed())
        return;
    if (!dx.m_bSaveAndValidate)
        SetCurSel(combo, index); // quietly, as a choice made by code
    else
        index = combo->currentIndex();
}

void DDX_Check(CDataExchange& dx, QAbstractButton* box, bool& value)
{
    if (!box || dx.Failed())
        return;
    if (!dx.m_bSaveAndValidate)
        box->setChecked(value);
    else
        value = box->isChecked();
}

void DDX_HHMM(CDataExchange& dx, CTimeEdit* edit, int& value)
{
    if (!edit || dx.Failed())
        return;
    if (!dx.m_bSaveAndValidate)
        edit->SetHHMM(value);
    else
        value = edit->GetHHMM();
}

void MakeDigitsOnly(QLineEdit* edit)
{
    if (edit)
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
}
