#include "FormPrint.h"
#include "PrintTexts.h"
#include "shared/Texts.h"
#include "shared/VelaError.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"
#include "suite/SuiteFont.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>

namespace vela {

namespace {
FormPrint *g_formPrint = nullptr;
} // namespace

FormPrint &FormPrint::instance()
{
    if (!g_formPrint) {
        static bool cleanupRegistered = false;
        if (!cleanupRegistered) {
            // The window must go before the application object it lives in.
            qAddPostRoutine(&FormPrint::unload);
            cleanupRegistered = true;
        }
        g_formPrint = new FormPrint;
    }
    return *g_formPrint;
}

void FormPrint::unload()
{
    FormPrint *form = g_formPrint;
    g_formPrint = nullptr;
    delete form;
}

FormPrint::FormPrint() : QDialog(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormPrint"));
    applySuiteLook(this);
    QFont f = font();
    f.setPointSizeF(8.25); // as the suite's other forms
    setFont(f);
    setWindowTitle(texts::PrintCaption.toString());
    setModal(true);

    lblReport = new QLabel(texts::PrintReportLabel.toString(), this);
    lblReport->setObjectName(QStringLiteral("lblReport"));
    cmbReport = new QComboBox(this); // a drop-down list: only its items can be chosen
    cmbReport->setObjectName(QStringLiteral("cmbReport"));
    cmbReport->setEditable(false);
    cmbReport->setMinimumWidth(220);
    lblReport->setBuddy(cmbReport);
    cmdOk = new OrvoButton(texts::PrintOkButton.toString(), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setAutoDefault(false);

    lblDescription = new QLabel(texts::PrintDescriptionLabel.toString(), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    txtDescription = new QLineEdit(this);
    txtDescription->setObjectName(QStringLiteral("txtDescription"));
    txtDescription->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
    lblDescription->setBuddy(txtDescription);

    cmdPrint = new OrvoButton(texts::PrintButton.toString(), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint->setDefault(true); // Enter chooses the template in the list
    cmdPrint->setMinimumWidth(90);

    // Right to left: the labels at the right edge, the list and the text box to their left, the
    // small button at the list's end and the print button at the bottom left.
    auto *grid = new QGridLayout(this);
    grid->addWidget(lblReport, 0, 0);
    grid->addWidget(cmbReport, 0, 1);
    grid->addWidget(cmdOk, 0, 2);
    grid->addWidget(lblDescription, 1, 0);
    grid->addWidget(txtDescription, 1, 1, 1, 2);
    grid->addWidget(cmdPrint, 2, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowMinimumHeight(2, 36);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(cmbReport, cmdOk);
    setTabOrder(cmdOk, txtDescription);
    setTabOrder(txtDescription, cmdPrint);

    connect(cmdPrint, &QPushButton::clicked, this, &FormPrint::cmdPrint_Click);
    connect(cmdOk, &QPushButton::clicked, this, &FormPrint::cmdOk_Click);
}

void FormPrint::cmdPrint_Click()
{
    RunCommand(texts::TitleError.toString(), [this] {
        if (cmbReport->currentIndex() == -1) {
            cmbReport->setFocus(Qt::OtherFocusReason);
            ShowMessage(texts::TitleWarning.toString(), texts::NoTemplateChosen.toString());
            return;
        }
        const qint32 id = cmbReport->currentData().toInt();
        Recordset &rs = DtEn().rssqlCommon();
        RunQuery(rs, texts::TemplateByIdSql.toString() + QString::number(id));
        QString path;
        const bool found = rs.RecordCount() > 0;
        if (found)
            path = rs.FieldText(QStringLiteral("FilePath"));
        rs.Close();
        if (!found)
            throw VelaError(QStringLiteral(
                "قالب «%1» دیگر در پایگاه داده نیست؛ پنجره را ببندید و دوباره باز کنید تا فهرست قالب‌ها تازه شود.")
                                .arg(cmbReport->currentText()));
        if (path.trimmed().isEmpty()) {
            ShowMessage(texts::TitleInvalid.toString(),
                QStringLiteral(
                    "برای قالب «%1» فایلی ثبت نشده است؛ مسیر فایل آن را در جدول قالب‌های گزارش ثبت کنید.")
                    .arg(cmbReport->currentText()));
            return;
        }
        ReportFileName = path;
        accept();
    });
}

void FormPrint::cmdOk_Click()
{
    cmdPrint_Click();
}

bool LoadReportTemplates(QWidget *form)
{
    auto *list = form ? form->findChild<QComboBox *>(QStringLiteral("cmbReport")) : nullptr;
    const QVariant type = form ? form->property("DocumnetID") : QVariant();
    if (!list || !type.isValid())
        throw VelaError(QStringLiteral("فرم گزارش فهرست «cmbReport» یا «DocumnetID» ندارد."), 438);
    bool result = true;
    Recordset &rs = DtEn().rssqlReportTemplates();
    RunQuery(rs, texts::TemplatesOfFormSql.toString() + QString::number(type.toInt()));
    const auto close = qScopeGuard([&rs] { rs.Close(); });
    if (rs.RecordCount() >= 1) {
        rs.MoveFirst();
        list->clear();
        for (; !rs.EOF_(); rs.MoveNext())
            list->addItem(
                rs.FieldText(QStringLiteral("Title")), rs.Field(QStringLiteral("ID")).toInt());
    } else {
        result = false;
    }
    if (list->count() >= 1)
        list->setCurrentIndex(0);
    return result;
}

} // namespace vela
