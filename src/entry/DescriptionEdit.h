#pragma once
// The entry form's description box: a plain text box that stays quick with text of any length.
//
// Qt lays a paragraph out as a whole, at a few microseconds a character, so one line of several
// megabytes took seconds every time it was shown. The box therefore holds a line longer than
// ChunkLength as several paragraphs joined by soft breaks: drawn as line ends, no part of the
// text. Only the paragraphs in view are laid out. The breaks are marked in the paragraphs' block
// format, which the undo history keeps with them.
#include <QPlainTextEdit>
#include <QString>

class QTextCursor;

namespace vela {

class DescriptionEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int ChunkLength = 1000; // characters

    explicit DescriptionEdit(QWidget *parent = nullptr);

    // The user's text: soft breaks left out. Line breaks are "\n" (a "\r\n" or "\r" read in
    // becomes one), every other character is kept as it is (a no-break space too).
    QString text() const;
    void setText(const QString &text);

    // The same under QPlainTextEdit's names, so that code holding the form's member reads and
    // writes the user's text and never the display's breaks. QPlainTextEdit's own are not
    // virtual: through a QPlainTextEdit pointer they see the soft breaks as line ends.
    QString toPlainText() const { return text(); }
    void setPlainText(const QString &text) { setText(text); }

    int softBreakCount() const;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    void insertText(QTextCursor &cursor, const QString &text) const;
    QString textBetween(int from, int to) const;
};

} // namespace vela
