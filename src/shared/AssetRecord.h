#pragma once
// The asset establishment record, described once: every column of tblAssetEstablishment that the
// forms show, in the order of the update statement, with how its value travels (its kind), the
// control that edits it, its label, whether saving requires it, how loading treats a NULL, and
// its search filter. The entry form derives loading, clearing, enabling, validating and the
// insert and update statements from it; the search form its filters and condition. Adding a
// column is one entry here (and the column in the schema).
//
//     const QString sql = record::updateStatement(record::asset(), values, QStringLiteral("42"));
#include <QString>
#include <QStringView>
#include <span>
#include <vector>

namespace vela::record {

enum class Kind {
    Number, // the record's identity number: shown and searched, never written
    Text, // a text box; quoted, NULL when empty
    Lookup, // a selector of a lookup view's row; the bare identifier, NULL when none is chosen
    Money, // an amount box; the bare decimal amount, NULL when empty
    DatePair, // a date box writing two columns: the calendar date and its Persian twin, quoted
};

// How loading treats a date column that is NULL or empty.
enum class Load {
    Always, // the date box takes the stored value (a NULL leaves it empty)
    WhenNotNull, // the date box is left as the caller cleared it
};

struct Column {
    QStringView name; // the column of tblAssetEstablishment
    Kind kind;
    const char *control; // objectName of the entry form's input and of the search form's filter
    const char *label; // objectName of the entry form's label
    QStringView caption; // the label's text, on both forms
    QStringView twin = {}; // DatePair: the column of the Persian date
    bool editable = true; // enabled in edit and new mode (the key and the creator never are)
    bool currentUser = false; // Lookup: a cleared form shows the current user (the creator)
    QStringView missing = {}; // required by save: the message when it is empty
    Load load = Load::Always;
    int filterPlace = 0; // the search form's filters in reading order; 0 for none
    int fragmentOrder = 0; // the order of its fragment in the search condition; 0 for none
    QStringView fragment = {}; // the condition's text before the value
    QStringView majorView = {}, minorView = {}; // Lookup: the views its selectors list

    bool required() const { return !missing.isEmpty(); }
    bool written() const { return kind != Kind::Number; }
};

struct Description {
    QStringView table;
    std::span<const Column> columns;
};

// The asset establishment record.
const Description &asset();

// One column's value as a statement carries it: `empty` for NULL, else the text of the value
// (unquoted; texts and dates are quoted and their quotes doubled by the statements): digits for
// numbers and identifiers, the plain decimal amount, the date as yyyy-MM-dd with its Persian
// twin in `twin`.
struct Value {
    bool empty = true;
    QString text;
    QString twin;
};
using Values = std::vector<Value>; // one per column, in the description's order

// "Update <table> Set A=…,B=… Where ID=<id>": every written column, NULL for an empty value.
QString updateStatement(const Description &d, const Values &values, const QString &id);
// "insert into <table> (…) values (…)": the required columns (a date pair with its twin), the
// statement that creates a row.
QString insertStatement(const Description &d, const Values &values);
// "1=1" followed by the fragment of every filter with a value, in fragment order.
QString searchCondition(const Description &d, const Values &values);

// The columns in the order of their fragments, and in the order of the search form's filters.
std::vector<const Column *> byFragmentOrder(const Description &d);
std::vector<const Column *> byFilterPlace(const Description &d);

} // namespace vela::record
