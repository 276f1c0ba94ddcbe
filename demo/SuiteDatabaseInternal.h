#pragma once
// What the builders of the embedded and the server databases share: the demo pictures and the
// rule that sorts scripts into suite and demo scripts.
#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace vela::SuiteDatabase {

// Scripts numbered below 10 build the suite; 10 and above are demo data.
bool isDemoScript(const QString &fileName);

// One demo attachment row: a stored picture (png) or an external one (mediaPath, the file
// written already).
struct DemoAttachment {
    qint32 formTypeId, formId, rowNumber;
    QString title;
    QString mediaPath;
    QByteArray png;
};

// The demo pictures, drawn with the names of the assets they belong to (`assetName` of an ID);
// the external one is written into `folder`.
std::vector<DemoAttachment> demoAttachments(
    const std::function<QString(qint32)> &assetName, const QString &folder);

} // namespace vela::SuiteDatabase
