// The asset establishment record's one description and the statements derived from it. The
// texts are the suite's own (captions and messages mix the Arabic and the Persian forms of Yeh and
// Kaf on purpose); keep them byte for byte.
#include "AssetRecord.h"
#include "modMain.h"

#include <algorithm>

namespace vela::record {

namespace {

constexpr Column AssetColumns[] = {
    {.name = u"ID",
        .kind = Kind::Number,
        .control = "txtID",
        .label = "lblID",
        .caption = u"شماره رايانه اي:",
        .editable = false,
        .filterPlace = 1,
        .fragmentOrder = 3,
        .fragment = u" and ID = "},
    {.name = u"CreatorID",
        .kind = Kind::Lookup,
        .control = "sltCreator",
        .label = "lblCreatorID",
        .caption = u"ايجاد کننده:",
        .editable = false,
        .currentUser = true,
        .missing = u"ايجاد کننده مشخص نشده است!",
        .filterPlace = 8,
        .fragmentOrder = 11,
        .fragment = u" and CreatorID = ",
        .majorView = u"vwUserMajor",
        .minorView = u"vwUserMinor"},
    {.name = u"LabelNo",
        .kind = Kind::Text,
        .control = "txtLabelNo",
        .label = "lblLabelNo",
        .caption = u"شماره پلاک:",
        .missing = u"شماره پلاک مشخص نشده است!",
        .filterPlace = 3,
        .fragmentOrder = 4,
        .fragment = u" and LabelNo like '%"},
    {.name = u"OldLabelNo",
        .kind = Kind::Text,
        .control = "txtOldLabelNo",
        .label = "lblOldLabelNo",
        .caption = u"شماره پلاک قديم:",
        .filterPlace = 4,
        .fragmentOrder = 6,
        .fragment = u" and OldLabelNo like '%"},
    {.name = u"Code",
        .kind = Kind::Text,
        .control = "txtCode",
        .label = "lblCode",
        .caption = u"کد کالا:"},
    {.name = u"Name",
        .kind = Kind::Text,
        .control = "txtName",
        .label = "lblName",
        .caption = u"عنوان دارايي:",
        .missing = u"عنوان مشخص نشده است!",
        .filterPlace = 2,
        .fragmentOrder = 5,
        .fragment = u" and Name like '%"},
    {.name = u"UtilizationDate",
        .kind = Kind::DatePair,
        .control = "datUtilizationDate",
        .label = "lblUtilizationDate",
        .caption = u"تاريخ بهره برداي:",
        .twin = u"FarsiUtilizationDate",
        .missing = u"تاريخ بهره برداري مشخص نشده است!",
        .filterPlace = 18,
        .fragmentOrder = 19,
        .fragment = u" and UtilizationDate = '"},
    {.name = u"CreateDate",
        .kind = Kind::DatePair,
        .control = "datCreateDate",
        .label = "lblCreateDate",
        .caption = u"تاريخ ايجاد:",
        .twin = u"FarsiCreateDate",
        .load = Load::WhenNotNull,
        .filterPlace = 17,
        .fragmentOrder = 17,
        .fragment = u" and CreateDate = '"},
    {.name = u"TypeID",
        .kind = Kind::Lookup,
        .control = "sltType",
        .label = "lblType",
        .caption = u"نوع:",
        .missing = u"نوع مشخص نشده است!",
        .filterPlace = 9,
        .fragmentOrder = 16,
        .fragment = u" and TypeID = ",
        .majorView = u"vwAssetEstablishmentTypeMajor",
        .minorView = u"vwAssetEstablishmentTypeMinor"},
    {.name = u"Cost",
        .kind = Kind::Money,
        .control = "txtCost",
        .label = "lblCost",
        .caption = u"قيمت تمام شده:",
        .missing = u"قيمت تمام شده مشخص نشده است!"},
    {.name = u"AccumulatedCost",
        .kind = Kind::Money,
        .control = "txtAccumulatedCost",
        .label = "lblAccumulatedCost",
        .caption = u"استهلاک انباشته:",
        .missing = u"استهلاک انباشته مشخص نشده است!"},
    {.name = u"AbortCost",
        .kind = Kind::Money,
        .control = "txtAbortCost",
        .label = "lblAbortCost",
        .caption = u"ارزش اسقاط:",
        .missing = u"ارزش اسقاط مشخص نشده است!"},
    {.name = u"OfficeMaxCost",
        .kind = Kind::Money,
        .control = "txtOfficeMaxCost",
        .label = "lblOfficeValueMax",
        .caption = u"سقف ارزش دفتري:"},
    {.name = u"StatusTypeID",
        .kind = Kind::Lookup,
        .control = "sltStatusType",
        .label = "lblStatusType",
        .caption = u"وضعيت دارايي:",
        .missing = u"وضعيت دارايي مشخص نشده است!",
        .filterPlace = 10,
        .fragmentOrder = 15,
        .fragment = u" and StatusTypeID = ",
        .majorView = u"vwAssetStatusTypeMajor",
        .minorView = u"vwAssetStatusTypeMinor"},
    {.name = u"DocumentNo",
        .kind = Kind::Text,
        .control = "txtDocumentNo",
        .label = "lblDocumentNo",
        .caption = u"شماره سند:",
        .filterPlace = 5,
        .fragmentOrder = 2,
        .fragment = u" and DocumentNo like '%"},
    {.name = u"DocumentDate",
        .kind = Kind::DatePair,
        .control = "datDocumentDate",
        .label = "lblDocumentDate",
        .caption = u"تاريخ سند:",
        .twin = u"FarsiDocumentDate",
        .load = Load::WhenNotNull,
        .filterPlace = 19,
        .fragmentOrder = 18,
        .fragment = u" and DocumentDate = '"},
    {.name = u"ReevaluationDate",
        .kind = Kind::DatePair,
        .control = "datReevaluationDate",
        .label = "lblReEvaluationDate",
        .caption = u"تاريخ تجديد ارزيابي:",
        .twin = u"FarsiReevaluationDate",
        .load = Load::WhenNotNull,
        .filterPlace = 20,
        .fragmentOrder = 20,
        .fragment = u" and ReEvaluationDate = '"},
    {.name = u"GroupID",
        .kind = Kind::Lookup,
        .control = "sltGroup",
        .label = "lblGroup",
        .caption = u"گروه:",
        .filterPlace = 11,
        .fragmentOrder = 12,
        .fragment = u" and GroupID = ",
        .majorView = u"vwAssetGroupMajor",
        .minorView = u"vwAssetGroupMinor"},
    {.name = u"LocationID",
        .kind = Kind::Lookup,
        .control = "sltLocation",
        .label = "lblLocation",
        .caption = u"محل استقرار:",
        .filterPlace = 12,
        .fragmentOrder = 13,
        .fragment = u" and LocationID = ",
        .majorView = u"vwOrvoInternalLocationMajor",
        .minorView = u"vwOrvoInternalLocationMinor"},
    {.name = u"OrganizationLocation",
        .kind = Kind::Text,
        .control = "txtOrganizationLocation",
        .label = "lblOrganizationLocation",
        .caption = u"واحد سازماني:",
        .filterPlace = 6,
        .fragmentOrder = 7,
        .fragment = u" and OrganizationLocation like '%"},
    {.name = u"AccountableID",
        .kind = Kind::Lookup,
        .control = "sltAccountable",
        .label = "lblAccounable",
        .caption = u"جمعدار:",
        .filterPlace = 13,
        .fragmentOrder = 8,
        .fragment = u" and AccountableID = ",
        .majorView = u"vwAssetAccountableMajor",
        .minorView = u"vwAssetAccountableMinor"},
    {.name = u"ResponsibleID",
        .kind = Kind::Lookup,
        .control = "sltResponsible",
        .label = "lblResponsible",
        .caption = u"مسوول:",
        .filterPlace = 14,
        .fragmentOrder = 14,
        .fragment = u" and ResponsibleID = ",
        .majorView = u"vwEmployeeMajor",
        .minorView = u"vwEmployeeMajor"},
    {.name = u"CostCenterID",
        .kind = Kind::Lookup,
        .control = "sltCostCenter",
        .label = "lblCostCenter",
        .caption = u"مرکزهزينه:",
        .filterPlace = 15,
        .fragmentOrder = 9,
        .fragment = u" and CostCenterID = ",
        .majorView = u"vwAccountCostCenterMajor",
        .minorView = u"vwAccountCostCenterMinor"},
    {.name = u"BranchID",
        .kind = Kind::Lookup,
        .control = "sltBranch",
        .label = "lblBranch",
        .caption = u"شعبه:",
        .filterPlace = 16,
        .fragmentOrder = 10,
        .fragment = u" and BranchID = ",
        .majorView = u"vwAccountBranchMajor",
        .minorView = u"vwAccountBranchMinor"},
    {.name = u"Description",
        .kind = Kind::Text,
        .control = "txtDescription",
        .label = "lblDescription",
        .caption = u"شرح:",
        .filterPlace = 7,
        .fragmentOrder = 1,
        .fragment = u" and Description like '%"},
};

const QString Null = QStringLiteral("NULL");

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + SqlText(text) + QLatin1Char('\'');
}

bool isQuoted(Kind kind)
{
    return kind == Kind::Text || kind == Kind::DatePair;
}

QString literal(Kind kind, const QString &text)
{
    return isQuoted(kind) ? quoted(text) : text;
}

const Column &keyColumn(const Description &d)
{
    for (const Column &c : d.columns)
        if (c.kind == Kind::Number)
            return c;
    return d.columns.front();
}

} // namespace

const Description &asset()
{
    static const Description d {u"tblAssetEstablishment", AssetColumns};
    return d;
}

QString updateStatement(const Description &d, const Values &values, const QString &id)
{
    QString sql = QStringLiteral("Update ");
    sql += d.table;
    bool first = true;
    for (size_t i = 0; i < d.columns.size(); ++i) {
        const Column &c = d.columns[i];
        if (!c.written())
            continue;
        const Value &v = values.at(i);
        sql += first ? QStringLiteral(" Set ") : QStringLiteral(",");
        sql += c.name;
        sql += QLatin1Char('=') + (v.empty ? Null : literal(c.kind, v.text));
        first = false;
        if (c.kind == Kind::DatePair) {
            sql += QLatin1Char(',');
            sql += c.twin;
            sql += QLatin1Char('=') + (v.empty ? Null : quoted(v.twin));
        }
    }
    sql += QStringLiteral(" Where ");
    sql += keyColumn(d).name;
    return sql + QLatin1Char('=') + id;
}

QString insertStatement(const Description &d, const Values &values)
{
    // The values are written as the statement always was: a comma between two values, and a
    // blank before the quote of a text or date that follows a value of another kind.
    QStringList names;
    QString list;
    bool previousQuoted = false;
    Kind previousKind = Kind::Number;
    auto add = [&](QStringView name, Kind kind, const QString &text, bool twin) {
        const bool q = isQuoted(kind);
        if (!names.isEmpty()) {
            if (previousQuoted)
                list += QLatin1Char('\'');
            list += QLatin1Char(',');
            if (q && !twin && kind != previousKind)
                list += QLatin1Char(' ');
        }
        list += q ? QLatin1Char('\'') + SqlText(text) : text;
        names << name.toString();
        previousQuoted = q;
        previousKind = kind;
    };
    for (size_t i = 0; i < d.columns.size(); ++i) {
        const Column &c = d.columns[i];
        if (!c.required() || !c.written())
            continue;
        add(c.name, c.kind, values.at(i).text, false);
        if (c.kind == Kind::DatePair)
            add(c.twin, c.kind, values.at(i).twin, true);
    }
    if (previousQuoted)
        list += QLatin1Char('\'');
    QString sql = QStringLiteral("insert into ");
    sql += d.table;
    return sql + QStringLiteral(" (") + names.join(QLatin1Char(',')) + QStringLiteral(") values (")
        + list + QLatin1Char(')');
}

QString searchCondition(const Description &d, const Values &values)
{
    QString condition = QStringLiteral("1=1");
    for (const Column *c : byFragmentOrder(d)) {
        const Value &v = values.at(size_t(c - d.columns.data()));
        if (v.empty)
            continue;
        condition += c->fragment;
        switch (c->kind) {
        case Kind::Text:
            condition += SqlText(v.text) + QStringLiteral("%'");
            break;
        case Kind::DatePair:
            condition += v.text + QLatin1Char('\'');
            break;
        default:
            condition += v.text;
        }
    }
    return condition;
}

std::vector<const Column *> byFragmentOrder(const Description &d)
{
    std::vector<const Column *> out;
    for (const Column &c : d.columns)
        if (c.fragmentOrder > 0)
            out.push_back(&c);
    std::stable_sort(out.begin(), out.end(),
        [](const Column *a, const Column *b) { return a->fragmentOrder < b->fragmentOrder; });
    return out;
}

std::vector<const Column *> byFilterPlace(const Description &d)
{
    std::vector<const Column *> out;
    for (const Column &c : d.columns)
        if (c.filterPlace > 0)
            out.push_back(&c);
    std::stable_sort(out.begin(), out.end(),
        [](const Column *a, const Column *b) { return a->filterPlace < b->filterPlace; });
    return out;
}

} // namespace vela::record
