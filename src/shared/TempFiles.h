#pragma once
// Temporary files that show stored attachments and print reports: fresh names in the system's
// temporary folder, created exclusively so that nothing already there (a file, a link planted by
// someone else) is ever written through.
#include <QByteArray>
#include <QString>
#include <vector>

namespace vela::tempfiles {

// An extension that cannot lead out of a folder: 1 to 10 ASCII letters or digits.
bool isPlainExtension(const QString &extension);

// "rad" + 10 random characters + ".tmp".
QString randomTempName();

// True when anything, also a dangling link, stands at the path.
bool pathExists(const QString &path);

// Creates the file (O_CREAT|O_EXCL|O_NOFOLLOW, mode 0600) and writes all of `data`. False when
// the name is taken; throws VelaError on any other failure (and leaves no partial file).
bool writeNewFile(const QString &path, const QByteArray &data);

// The temporary files one owner wrote, removed when the owner goes (or on removeAll). A file is
// removed only while it is still the one that was written: a regular file with the same device,
// inode, size and modification time (inode numbers are reused at once). Whatever has taken its
// name since is left alone, and so is everything else.
class OwnFiles {
public:
    OwnFiles() = default;
    ~OwnFiles() { removeAll(); }
    OwnFiles(const OwnFiles &) = delete;
    OwnFiles &operator=(const OwnFiles &) = delete;

    void add(const QString &path); // right after writing it
    void removeAll();
    qsizetype count() const { return qsizetype(m_files.size()); }

private:
    struct File {
        QByteArray path;
        quint64 device, inode;
        qint64 size, modifiedSeconds, modifiedNanoseconds;
    };
    std::vector<File> m_files;
};

} // namespace vela::tempfiles
