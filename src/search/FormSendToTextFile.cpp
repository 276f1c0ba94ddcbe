#include "FormSendToTextFile.h"

#include "ExportTexts.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"
#include "suite/SuiteFont.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace vela {

namespace {

// Design geometry, twips, measured from the left edge; the captions stand at the right.
constexpr double Margin = 120, RightEdge = FormSendToTextFile::DesignWidth - 120;
constexpr double CaptionWidth = 1260, BoxHeight = 315;

// Leading and trailing blanks (spaces) removed, as the delimiter's "^t" is recognised.
QString trimBlanks(const QString &s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && s[a] == QLatin1Char(' '))
        ++a;
    while (b > a && s[b - 1] == QLatin1Char(' '))
        --b;
    return s.mid(a, b - a);
}

} // namespace

FormSendToTextFile::FormSendToTextFile(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormSendToTextFile"));
    setWindowTitle(texts::TextExportCaption.toString());
    applySuiteLook(this);
    setModal(true);

    lblExcell_1 = new QLabel(texts::Instruction.toString(), this);
    lblExcell_1->setObjectName(QStringLiteral("lblExcell_1"));
    lblExcell_1->setWordWrap(true);
    lblExcell_1->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    placeTwips(lblExcell_1, Margin, 120, RightEdge - Margin, 780);

    lblExcell_2 = new QLabel(texts::DelimiterCaption.toString(), this);
    lblExcell_2->setObjectName(QStringLiteral("lblExcell_2"));
    lblExcell_2->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    placeTwips(lblExcell_2, RightEdge - CaptionWidth, 1020, CaptionWidth, BoxHeight);
    txtDelimiter = new QLineEdit(this);
    txtDelimiter->setObjectName(QStringLiteral("txtDelimiter"));
    lblExcell_2->setBuddy(txtDelimiter);
    placeTwips(txtDelimiter, RightEdge - CaptionWidth - 60 - 1800, 1020, 1800, BoxHeight);
    txtDelimiter->installEventFilter(this);

    cmdSave = new OrvoButton(texts::SaveCaption.toString(), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setAutoDefault(false);
    placeTwips(cmdSave, RightEdge - CaptionWidth, 1440, CaptionWidth, 375);
    // The name comes only from the save dialog, so an existing file is always asked about.
    txtSaveFileName = new QLineEdit(this);
    txtSaveFileName->setObjectName(QStringLiteral("txtSaveFileName"));
    txtSaveFileName->setReadOnly(true);
    txtSaveFileName->setLayoutDirection(Qt::LeftToRight); // a path reads left to right
    placeTwips(txtSaveFileName, Margin, 1470, RightEdge - CaptionWidth - 60 - Margin, BoxHeight);

    chkHeader = new QCheckBox(texts::HeaderCaption.toString(), this);
    chkHeader->setObjectName(QStringLiteral("chkHeader"));
    chkRemoveMoney = new QCheckBox(texts::RemoveMoneyCaption.toString(), this);
    chkRemoveMoney->setObjectName(QStringLiteral("chkRemoveMoney"));
    chkNewLine = new QCheckBox(texts::NewLineCaption.toString(), this);
    chkNewLine->setObjectName(QStringLiteral("chkNewLine"));
    double top = 1980;
    for (QCheckBox *c : {chkHeader, chkRemoveMoney, chkNewLine}) {
        placeTwips(c, Margin, top, RightEdge - Margin, 300);
        top += 330;
    }

    cmdOk = new OrvoButton(texts::OkCaption.toString(), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdCancel = new OrvoButton(texts::CancelCaption.toString(), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    placeTwips(cmdOk, DesignWidth / 2.0 + 60, 3060, 1200, 375);
    placeTwips(cmdCancel, DesignWidth / 2.0 - 60 - 1200, 3060, 1200, 375);
    cmdOk->setDefault(true);

    setTabOrder(txtDelimiter, cmdSave);
    setTabOrder(cmdSave, txtSaveFileName);
    setTabOrder(txtSaveFileName, chkHeader);
    setTabOrder(chkHeader, chkRemoveMoney);
    setTabOrder(chkRemoveMoney, chkNewLine);
    setTabOrder(chkNewLine, cmdOk);
    setTabOrder(cmdOk, cmdCancel);

    connect(cmdSave, &QPushButton::clicked, this, &FormSendToTextFile::cmdSave_Click);
    connect(cmdOk, &QPushButton::clicked, this, &FormSendToTextFile::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FormSendToTextFile::cmdCancel_Click);

    setFixedSize(twipsToPixels(DesignWidth), twipsToPixels(DesignHeight));
    setInitialContents();
}

void FormSendToTextFile::setInitialContents()
{
    Confirmed = false;
    FileName.clear();
    txtDelimiter->setText(texts::DefaultDelimiter.toString());
    txtSaveFileName->clear();
    chkHeader->setCheckState(Qt::Unchecked);
    chkRemoveMoney->setCheckState(Qt::Unchecked);
    chkNewLine->setCheckState(Qt::Checked);
    txtDelimiter->setFocus(Qt::OtherFocusReason);
}

bool FormSendToTextFile::getTextFileName(QString &outFileName, QString &outDelimiter,
    bool &addNewLine, bool &AddHeaders, bool &removeMoneySep)
{
    Confirmed = false;
    exec(); // hidden by cmdOk or cmdCancel, or closed through the close box or Escape
    outFileName = FileName;
    outDelimiter = txtDelimiter->text();
    const QString trimmed = trimBlanks(outDelimiter);
    if (trimmed == QLatin1String("^t") || trimmed == QLatin1String("^T"))
        outDelimiter = QStringLiteral("\t");
    // A greyed (third state) box counts as not ticked.
    addNewLine = chkNewLine->checkState() == Qt::Checked;
    AddHeaders = chkHeader->checkState() == Qt::Checked;
    removeMoneySep = chkRemoveMoney->checkState() == Qt::Checked;
    const bool confirmed = Confirmed;
    setInitialContents(); // the next call starts again from the initial contents
    return confirmed;
}

void FormSendToTextFile::cmdSave_Click()
{
    QString name;
    if (!AskSaveFileName(name, texts::SaveDialogTitle.toString()))
        return;
    if (QFileInfo::exists(name)
        && AskYesNo(texts::OverwriteTitle.toString(), texts::OverwriteQuestion.toString()) == 7)
        return;
    FileName = name;
    txtSaveFileName->setText(name);
}

void FormSendToTextFile::cmdOk_Click()
{
    if (txtSaveFileName->text().isEmpty()) {
        ShowMessage(texts::TitleError.toString(), texts::NoNameText.toString());
        return;
    }
    Confirmed = true;
    hide();
}

void FormSendToTextFile::cmdCancel_Click()
{
    Confirmed = false;
    hide();
}

bool FormSendToTextFile::eventFilter(QObject *watched, QEvent *event)
{
    // The delimiter box selects its whole text when it gets the focus, so typing replaces it;
    // once the focus event (and a click that gave it) has been handled.
    if (watched == txtDelimiter && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, txtDelimiter, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

} // namespace vela
