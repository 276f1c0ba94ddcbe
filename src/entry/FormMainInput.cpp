// Keyboard and input on the entry form: the tab order, Enter moving on between fields, the text
// boxes' alignment and length limit, and the refusal of typed dates that are not dates.
#include "EntryTexts.h"
#include "FormMain.h"
#include "shared/modMain.h"
#include "suite/OrvoControls.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextOption>
#include <QTimer>
#include <QValidator>
#include <limits>

namespace vela {

namespace {

// Refuses an edit that would make the text longer than the limit, whole (nothing of a pasted
// text is cut off silently). A longer text that was set, not typed (a stored value), is taken
// as it is and can be shortened.
class LengthLimit : public QValidator {
public:
    LengthLimit(QLineEdit *edit, int limit)
        : QValidator(edit), m_edit(edit), m_limit(limit), m_current(edit->text().size())
    {
        connect(edit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_current = text.size(); });
    }

    State validate(QString &input, int &) const override
    {
        // setText() empties the editor's undo history before it asks; an edit of the user's
        // has just added to it. A text refused at setText() would also leave the editor taking
        // the next edit unchecked.
        if (!m_edit->isUndoAvailable())
            return Acceptable;
        return input.size() > m_limit && input.size() > m_current ? Invalid : Acceptable;
    }

private:
    const QLineEdit *m_edit;
    const int m_limit;
    qsizetype m_current;
};

constexpr Qt::Alignment RightAligned = Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter;

} // namespace

void FormMain::setUpInput()
{
    // Tab follows the reading order, right to left: the middle column top to bottom, then the
    // left one, the description, the command bar from cmdNew leftwards, and last the buttons
    // under the description and the picture.
    QVector<QWidget *> order;
    for (const auto &p : m_middleColumn)
        order << p.first;
    for (const auto &p : m_leftColumn)
        order << p.first;
    order << txtDescription;
    for (auto b = m_commandBar.crbegin(); b != m_commandBar.crend(); ++b)
        order << *b;
    order << cmdMoreInfo;
    for (QWidget *b : {cmdEditPicture, cmdRight, cmdRefreshPicture, cmdLeft})
        order << b;
    // A composite input (selector, date, amount) hands the focus to its editor. Tab counts it
    // where it stands in the chain, so it is chained itself, followed by its editor and, for a
    // selector, the list box's own text editor; and it must take the focus like its editor,
    // since Qt leaves a widget that takes none out of the order it is given.
    QWidget *previous = nullptr;
    auto follow = [&previous](QWidget *w) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    };
    for (QWidget *w : order) {
        QWidget *inner = w;
        while (inner->focusProxy())
            inner = inner->focusProxy();
        if (inner != w)
            w->setFocusPolicy(inner->focusPolicy());
        follow(w);
        if (inner != w)
            follow(inner);
        if (auto *combo = qobject_cast<QComboBox *>(inner); combo && combo->lineEdit())
            follow(combo->lineEdit());
    }

    // Every text box keeps its text at the right, also a text in Latin letters or digits alone,
    // which would otherwise start at the left.
    const QString limitText = QStringLiteral(
        "خانه «%1» بیش از %2 نویسه نمی‌پذیرد؛ متنی که افزوده می‌شد در آن جا "
        "نمی‌شود و چیزی از آن وارد نشد. متن کوتاه‌تری وارد کنید.");
    for (const record::Column &c : record::asset().columns) {
        auto *e = qobject_cast<QLineEdit *>(input(c));
        if (!e)
            continue;
        e->setAlignment(RightAligned);
        // The box's own limit would cut a longer text (also a stored one) without a word.
        e->setMaxLength(std::numeric_limits<int>::max());
        e->setValidator(new LengthLimit(e, TextBoxLimit));
        connect(e, &QLineEdit::inputRejected, this, [this, e, limitText] {
            // After the editor has finished with the key or the paste.
            QTimer::singleShot(0, this, [this, e, limitText] {
                ShowMessage(texts::TitleInvalid.toString(),
                    limitText.arg(fieldCaption(e)).arg(TextBoxLimit));
            });
        });
    }
    QTextOption option = txtDescription->document()->defaultTextOption();
    option.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
    txtDescription->document()->setDefaultTextOption(option);

    // A date box left with a text that is not a date says so once the focus has settled (a
    // message box opened in the middle of a focus change would take part in it), unless the
    // text has been dealt with by then: corrected, cleared, or refused by the save.
    for (OrvoDate *d : dateInputs()) {
        connect(d, &OrvoDate::inputRefused, this, [this, d] {
            m_dateToRefuse = d;
            QTimer::singleShot(0, this, [this] {
                OrvoDate *date = m_dateToRefuse;
                m_dateToRefuse = nullptr;
                if (date && date->hasInvalidInput() && date->isEnabled() && isVisible()
                    && !QApplication::activeModalWidget())
                    refuseTypedDate(date);
            });
        });
    }
}

QString FormMain::fieldCaption(const QWidget *input) const
{
    for (const auto *column : {&m_middleColumn, &m_leftColumn}) {
        for (const auto &p : *column) {
            if (p.first == input) {
                QString caption = p.second->text().trimmed();
                if (caption.endsWith(QLatin1Char(':')))
                    caption.chop(1);
                return caption.trimmed();
            }
        }
    }
    return QString();
}

void FormMain::refuseTypedDate(OrvoDate *date)
{
    m_dateToRefuse = nullptr;
    const QString text
        = QStringLiteral("«%1» در خانه «%2» تاریخ شمسی درستی نیست. تاریخ را به صورت سال/ماه/روز، "
                         "مانند 1403/01/15، بنویسید یا خانه را خالی بگذارید.");
    ShowMessage(texts::TitleInvalid.toString(),
        text.arg(date->editor()->text().trimmed(), fieldCaption(date)));
    date->setFocus(Qt::OtherFocusReason);
    date->editor()->selectAll();
}

bool FormMain::CheckTypedDates()
{
    for (OrvoDate *d : dateInputs()) {
        if (!d->commit()) {
            refuseTypedDate(d);
            return false;
        }
    }
    return true;
}

QWidget *FormMain::singleLineFieldOf(QWidget *w) const
{
    if (!w)
        return nullptr;
    for (const auto *column : {&m_middleColumn, &m_leftColumn})
        for (const auto &p : *column)
            if (p.first == w || p.first->isAncestorOf(w))
                return p.first;
    return nullptr;
}

// Enter in a single-line field moves on to the next one, as Tab does. It gets here only when the
// field did not use it: the open list of a selector takes it to choose a row, and the description
// to start a new line.
void FormMain::keyPressEvent(QKeyEvent *e)
{
    const bool enter = (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    QWidget *field = enter ? singleLineFieldOf(focusWidget()) : nullptr;
    if (!field) {
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    if (auto *date = qobject_cast<OrvoDate *>(field); date && !date->commit()) {
        refuseTypedDate(date);
        return;
    }
    focusNextChild();
}

} // namespace vela
