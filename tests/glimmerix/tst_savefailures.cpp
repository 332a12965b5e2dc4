// Saves that cannot succeed: a full disk, a disk with no room for another file,
// a read-only disk, a folder that does not exist, and Save over an opened file
// whose format has no writer. Every one must say so clearly, leave every file
// that was there byte for byte as it was, leave no temporary file behind and
// keep the document modified. The disks are small tmpfs file systems mounted
// for the test (which needs the right to mount: root; skipped otherwise).

#include "editortest.h"
#include "testimages.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/mount.h>

namespace {

// Every file of a folder with the hash of its contents.
QMap<QString, QByteArray> folderContents(const QString &path)
{
    QMap<QString, QByteArray> contents;
    const QDir dir(path);
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QFile file(dir.filePath(name));
        QByteArray hash("(unreadable)");
        if (file.open(QIODevice::ReadOnly))
            hash = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
        contents.insert(name, hash);
    }
    return contents;
}

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// A tmpfs file system mounted on a temporary folder for the life of the object.
class SmallDisk
{
public:
    explicit SmallDisk(const QByteArray &options) : options(options)
    {
        if (!folder.isValid())
            return;
        if (::mount("glimmerix-test", QFile::encodeName(folder.path()).constData(), "tmpfs",
                    MS_NOSUID | MS_NODEV, options.constData())
            == 0)
            mounted = true;
        else
            failure = systemError(errno);
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(QFile::encodeName(folder.path()).constData(), MNT_DETACH);
    }

    bool isMounted() const { return mounted; }
    QString whyNot() const { return failure; }
    QString path() const { return folder.path(); }
    QString filePath(const QString &name) const { return folder.filePath(name); }

    bool makeReadOnly()
    {
        return ::mount(nullptr, QFile::encodeName(folder.path()).constData(), nullptr,
                       MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, options.constData())
            == 0;
    }

    // Writes into a filler file until the disk is full.
    bool fill()
    {
        QFile filler(filePath("filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        return filler.error() != QFileDevice::NoError;
    }

private:
    QTemporaryDir folder;
    QByteArray options;
    bool mounted = false;
    QString failure;
};

} // namespace

class TestSaveFailures : public EditorTest
{
    Q_OBJECT

private:

    void openAndModify(const QString &file)
    {
        driver->chooseFile(file);
        probe->run("openIm");
        QCOMPARE(probe->curFile(), file);
        probe->run("grayworld");
        QVERIFY(probe->isModified());
        driver->seen.clear();
    }

    // Runs Save (target empty) or Save As to target and checks the refusal.
    // reasons: the box's informative text must contain one of them.
    void expectFailedSave(const QString &target, bool targetExists, const QStringList &reasons)
    {
        const bool saveAs = !target.isEmpty();
        if (saveAs) {
            driver->chooseFile(target);
            if (targetExists)
                driver->press(QMessageBox::Yes); // the dialog's own "replace it?"
        }
        driver->press();
        QVERIFY(!probe->runForResult(saveAs ? "saveImAs" : "saveIm"));

        QVERIFY(!driver->seen.isEmpty());
        const SeenDialog &box = driver->seen.last();
        QCOMPARE(box.kind, QString("box"));
        QCOMPARE(box.text, QString("Damn! Image wasn't Saved!"));
        const bool told = std::any_of(reasons.begin(), reasons.end(), [&](const QString &reason) {
            return box.informativeText.contains(reason, Qt::CaseInsensitive);
        });
        QVERIFY2(told, qPrintable(QString("the box says \"%1\", not why: %2")
                                      .arg(box.informativeText, reasons.join(" / "))));
        QCOMPARE(probe->status(), saveAs ? QString("Image wasn't Saved Ass") : QString("Image wasn't Saved"));
        QVERIFY(probe->isModified());
    }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void init()
    {
        startEditor();
    }

    void cleanup()
    {
        finishEditor();
    }

    // disk: "full" (no free block), "no inodes" (no room for one more file) or
    // "read-only". target: empty for Save of the opened file, else the name
    // chosen in Save As.
    void diskRefusesTheSave_data()
    {
        QTest::addColumn<QString>("disk");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("reasons");
        const QStringList noSpace = {systemError(ENOSPC)};
        // Over an existing file the toolkit says so before the system can.
        const QStringList readOnly = {systemError(EROFS), "is not writable"};
        for (const auto &disk : {qMakePair(QString("full"), noSpace),
                                 qMakePair(QString("no inodes"), noSpace),
                                 qMakePair(QString("read-only"), readOnly)}) {
            const QByteArray name = disk.first.toLatin1();
            QTest::newRow(name + ", save") << disk.first << "" << disk.second;
            QTest::newRow(name + ", save as a new file") << disk.first << "new.png" << disk.second;
            QTest::newRow(name + ", save as over a file") << disk.first << "other.png" << disk.second;
        }
    }
    void diskRefusesTheSave()
    {
        QFETCH(QString, disk);
        QFETCH(QString, target);
        QFETCH(QStringList, reasons);

        // tmpfs counts the root folder as an inode: 1 + the two pictures leaves none.
        SmallDisk small(disk == "no inodes" ? "size=1m,nr_inodes=3,mode=0755" : "size=256k,mode=0755");
        if (!small.isMounted())
            QSKIP(qPrintable("cannot mount a small tmpfs for the test (" + small.whyNot()
                             + "): run as root to test a full or read-only disk"));
        const QString photo = small.filePath("photo.png");
        QVERIFY(testimages::photoLikeImage(64, 48, 1).save(photo));
        QVERIFY(testimages::photoLikeImage(20, 10, 2).save(small.filePath("other.png")));
        openAndModify(photo);
        if (disk == "full")
            QVERIFY(small.fill());
        else if (disk == "read-only")
            QVERIFY(small.makeReadOnly());
        const QMap<QString, QByteArray> before = folderContents(small.path());

        expectFailedSave(target.isEmpty() ? QString() : small.filePath(target),
                         target == "other.png", reasons);
        QCOMPARE(folderContents(small.path()), before);
    }

    // Save As into a folder that does not exist.
    void saveAsIntoMissingFolder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString photo = dir.filePath("photo.png");
        QVERIFY(testimages::photoLikeImage(30, 20, 3).save(photo));
        openAndModify(photo);
        const QMap<QString, QByteArray> before = folderContents(dir.path());
        expectFailedSave(dir.filePath("missing/folder/copy.png"), false, {systemError(ENOENT)});
        QCOMPARE(folderContents(dir.path()), before);
    }

    // A GIF can be read but not written: Save asks for a name, and the GIF's own
    // name, chosen again, is refused, leaving the GIF alone.
    void saveOverOpenedGif()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString corpus = QFINDTESTDATA("../data/badinputs/many-frames.gif");
        QVERIFY(!corpus.isEmpty());
        const QString gif = dir.filePath("animation.gif");
        QVERIFY(QFile::copy(corpus, gif));
        openAndModify(gif);
        const QMap<QString, QByteArray> before = folderContents(dir.path());
        driver->chooseFile(gif).press(QMessageBox::Yes).press();
        QVERIFY(!probe->runForResult("saveIm"));
        QCOMPARE(driver->lastSeen().text, QString("Damn! Image wasn't Saved!"));
        QCOMPARE(driver->lastSeen().informativeText, QString("Unsupported image format"));
        QCOMPARE(probe->status(), QString("Image wasn't Saved Ass"));
        QVERIFY(probe->isModified());
        QCOMPARE(folderContents(dir.path()), before);
    }

    // A full disk stops the write part-way in every writable format: the box says
    // what the device said, and which file could not be written.
    void fullDiskSaysWhyInEveryFormat_data()
    {
        QTest::addColumn<QByteArray>("format");
        for (const QByteArray &format : QImageWriter::supportedImageFormats())
            QTest::newRow(format.constData()) << format;
    }
    void fullDiskSaysWhyInEveryFormat()
    {
        QFETCH(QByteArray, format);
        SmallDisk small("size=512k,mode=0755");
        if (!small.isMounted())
            QSKIP(qPrintable("cannot mount a small tmpfs for the test (" + small.whyNot()
                             + "): run as root to test a full disk"));
        const QString photo = small.filePath("photo.png");
        QVERIFY(testimages::photoLikeImage(160, 120, 4).save(photo));
        openAndModify(photo);
        QVERIFY(small.fill());
        const QMap<QString, QByteArray> before = folderContents(small.path());
        const QString target = small.filePath("copy." + QString::fromLatin1(format));
        expectFailedSave(target, false, {systemError(ENOSPC)});
        QVERIFY2(driver->lastSeen().informativeText.contains(target),
                 qPrintable(driver->lastSeen().informativeText));
        QCOMPARE(folderContents(small.path()), before);
    }
};

QTEST_MAIN(TestSaveFailures)
#include "tst_savefailures.moc"
