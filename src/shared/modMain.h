#pragma once
// Component-wide current values and the small shared procedures every form uses.
#include "DataEnvironment.h"
#include "Money.h"
#include <QDate>
#include <QString>
#include <QVariant>
#include <functional>

class QWidget;

namespace vela {

// ---- current values, written only at the start of a host call
extern qint32 CurrentUserID; // -1 until a host sets it
extern qint32 CurrentPositionID; // -1 until a host sets it
extern qint32 CurrentEmployeeID; // copied from the host control; read by nothing
extern QString CurrentConnectionString;

// ---- data environment
DataEnvironment &DtEn(); // created on first use
void ResetDataEnvironment(); // new DtEn on CurrentConnectionString
void RunQuery(Recordset &rs, const QString &sql); // close if open, open on the text
bool HasPermission(qint32 role); // throws on database failure

// ---- conversions
// Blank text (spaces only) -1, "True" 1, else the leading number of the text with every "/" removed
// (a double; 0 when there is none; the integer 0 on overflow).
QVariant ToNumber(const QString &text);
// A number variant to a 32-bit integer, rounding half to even; an empty variant gives 0.
// Throws VelaError(ErrOverflow) outside the 32-bit range.
qint32 ToInt32(const QVariant &number);
// Shortest decimal text of a number variant ("13960223", "-1", "12.5").
QString NumberText(const QVariant &number);
QString GroupDigits(const QString &text);
// GroupDigits of text[from..], in place (one growth of the string at most).
void GroupDigitsInPlace(QString &text, qsizetype from = 0);
// Removes every "/" from `text` (written back) and reads the amount. Throws VelaError(ErrOverflow)
// outside the currency range.
Money UngroupDigits(QString &text);
// A text value as an SQL literal body: every single quote doubled.
QString SqlText(const QString &text);

// ---- environment
QDate ServerDate();
// Adds the increments (twips) to the control's width, left, height and top; a change that would
// make a size negative is refused alone.
void ShiftControl(QWidget *ctl, double dWidth, double dLeft, double dHeight, double dTop);

// ---- twips: 1440 per inch at the logical DPI; positions measured from the left edge
double twipsPerPixel();
int twipsToPixels(double twips);
double pixelsToTwips(int pixels);
// Places a control at a design position in twips and remembers the exact (fractional) twips so
// that later shifts accumulate without rounding drift.
void placeTwips(QWidget *ctl, double left, double top, double width, double height);
QRectF twipsGeometry(const QWidget *ctl);

// ---- dialogs
// Save-file dialog; false and an empty name on cancel or failure.
bool AskSaveFileName(QString &fileName, const QString &title);
// Tests replace the dialog: the hook gets (fileName in, title) and returns the chosen path or an
// empty text for cancel. Pass nullptr to restore the real dialog.
void setSaveFileDialogHook(std::function<QString(const QString &, const QString &)> hook);

// ---- messages, through the suite's message component; neither ever fails
// A message about something that went wrong or must be corrected (an error box).
void ShowMessage(const QString &title, const QString &text) noexcept;
// A message that something succeeded (an information box).
void ShowInformation(const QString &title, const QString &text) noexcept;
// A yes/no question; No is the answer Enter gives. 6 yes, 7 no, 0 neither.
qint16 AskYesNo(const QString &title, const QString &text) noexcept;

// Runs the body of a command handler (a button's action). A failure ends the command and is
// shown under the command's title, after everything the body held (an hourglass, a transaction)
// has been let go; nothing leaves the handler. Returns whether the body ran to its end.
bool RunCommand(const QString &title, const std::function<void()> &body) noexcept;

// The hourglass for the span of a scope.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// Formats a calendar date the way statements carry it: yyyy-MM-dd.
QString SqlDateText(const QDate &d);

} // namespace vela
