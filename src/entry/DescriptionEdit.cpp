#include "DescriptionEdit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace vela {

namespace {

constexpr int SoftBreakProperty = QTextFormat::UserProperty + 1;

bool isSoft(const QTextBlock &block)
{
    return block.blockFormat().boolProperty(SoftBreakProperty);
}

QTextBlockFormat withBreak(QTextBlockFormat format, bool soft)
{
    if (soft)
        format.setProperty(SoftBreakProperty, true);
    else
        format.clearProperty(SoftBreakProperty);
    return format;
}

// Line breaks as the text document makes them: "\r\n", "\r" and the paragraph separator each
// start a new paragraph, as "\n" does.
QStringList linesOf(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}

// A long line cut into pieces of at most ChunkLength characters: after a blank near the end of a
// piece where there is one, else where no character pair or combining mark is split.
QStringList piecesOf(const QString &line)
{
    const qsizetype max = DescriptionEdit::ChunkLength;
    QStringList pieces;
    qsizetype start = 0;
    while (line.size() - start > max) {
        qsizetype end = start + max;
        qsizetype blank = end;
        while (blank > start + max * 3 / 4 && !line.at(blank - 1).isSpace())
            --blank;
        if (blank > start + max * 3 / 4) {
            end = blank;
        } else {
            while (end > start + 1
                && (line.at(end).isLowSurrogate() || line.at(end).isMark()
                    || line.at(end) == QChar(0x200C) || line.at(end) == QChar(0x200D)))
                --end;
        }
        pieces << line.mid(start, end - start);
        start = end;
    }
    pieces << line.mid(start);
    return pieces;
}

} // namespace

DescriptionEdit::DescriptionEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true); // a tab is never part of a description: Tab goes to the next field
}

QString DescriptionEdit::text() const
{
    QString out;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        if (b != document()->begin() && !isSoft(b))
            out += QLatin1Char('\n');
        out += b.text();
    }
    return out;
}

void DescriptionEdit::setText(const QString &text)
{
    // Cleared first, so the cursor starts in a paragraph without a soft break.
    QPlainTextEdit::setPlainText(QString());
    QTextDocument *doc = document();
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    QTextCursor c(doc);
    insertText(c, text);
    doc->setUndoRedoEnabled(undo);
    doc->setModified(false);
    c.movePosition(QTextCursor::Start);
    setTextCursor(c);
}

void DescriptionEdit::insertText(QTextCursor &c, const QString &text) const
{
    c.beginEditBlock();
    const QStringList lines = linesOf(text);
    for (qsizetype l = 0; l < lines.size(); ++l) {
        if (l > 0)
            c.insertBlock(withBreak(c.blockFormat(), false));
        const QStringList pieces = piecesOf(lines[l]);
        for (qsizetype p = 0; p < pieces.size(); ++p) {
            if (p > 0)
                c.insertBlock(withBreak(c.blockFormat(), true));
            c.insertText(pieces[p]);
        }
    }
    c.endEditBlock();
}

int DescriptionEdit::softBreakCount() const
{
    int n = 0;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next())
        n += isSoft(b) ? 1 : 0;
    return n;
}

QString DescriptionEdit::textBetween(int from, int to) const
{
    QString out;
    // The break before a paragraph is selected when its position is within (from, to].
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() <= to;
         b = b.next()) {
        const int start = qMax(from, b.position());
        const int end = qMin(to, b.position() + b.length() - 1);
        if (b.position() > from && !isSoft(b))
            out += QLatin1Char('\n');
        if (end > start)
            out += b.text().mid(start - b.position(), end - start);
    }
    return out;
}

void DescriptionEdit::keyPressEvent(QKeyEvent *e)
{
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(e);
        return;
    }
    QTextCursor c = textCursor();
    const Qt::KeyboardModifiers mods = e->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
        // A line break the user types is a real one, also inside a piece of a long line (whose
        // format the new paragraph would otherwise take over), and also with Shift.
        c.insertBlock(withBreak(c.blockFormat(), false));
        setTextCursor(c);
        ensureCursorVisible();
        return;
    }
    // Backspace at the start of a piece, or Delete at the end of the piece before one, removes
    // the character beyond the soft break, as it would without one.
    if (!c.hasSelection() && mods == Qt::NoModifier) {
        if (e->key() == Qt::Key_Backspace && c.atBlockStart() && isSoft(c.block())) {
            c.movePosition(QTextCursor::PreviousBlock);
            c.movePosition(QTextCursor::EndOfBlock);
            c.deletePreviousChar();
            setTextCursor(c);
            return;
        }
        if (e->key() == Qt::Key_Delete && c.atBlockEnd() && c.block().next().isValid()
            && isSoft(c.block().next())) {
            c.movePosition(QTextCursor::NextBlock);
            c.deleteChar();
            setTextCursor(c);
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(e);
}

void DescriptionEdit::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor c = textCursor();
    c.beginEditBlock();
    c.removeSelectedText();
    insertText(c, source->text());
    c.endEditBlock();
    setTextCursor(c);
    ensureCursorVisible();
}

QMimeData *DescriptionEdit::createMimeDataFromSelection() const
{
    const QTextCursor c = textCursor();
    auto *data = new QMimeData;
    data->setText(textBetween(c.selectionStart(), c.selectionEnd()));
    return data;
}

} // namespace vela
