// The drive, folder and file lists.

#include "tests/ui/ui_support.h"
#include "ui/dirlistbox.h"
#include "ui/drivelistbox.h"
#include "ui/filelistbox.h"

#include <QSignalSpy>
#include <QtTest>

using namespace varnox;
using test::Q;

class ListsTest : public QObject {
    Q_OBJECT

  private slots:
    void patternMatching_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("other case") << "*.res"
                                    << "GFX.RES" << true;
        QTest::newRow("ending only") << "*.res"
                                     << "gfx.res.bak" << false;
        QTest::newRow("several patterns") << "*.tga; *.gfp"
                                          << "a.GFP" << true;
        QTest::newRow("star dot star takes names without dot") << "*.*"
                                                               << "README" << true;
        QTest::newRow("question mark") << "?.tga"
                                       << "ab.tga" << false;
        QTest::newRow("no dot in name") << "*.gfp"
                                        << "gfp" << false;
    }

    void patternMatching()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(ui::FileListBox::Matches(pattern, name), matches);
    }

    void fileListListsSortsAndSelects()
    {
        test::TempDir dir;
        for (const char* name : {"b.res", "A.RES", "c.Res", "d.gfp", ".hidden.res"})
            test::WriteBytes(dir / name, {'x'});
        test::MakeFolder(dir / "folder.res");
        ui::FileListBox list;
        QSignalSpy clicks(&list, &ui::FileListBox::Click);
        list.setPattern("*.res");
        list.setPath(Q(dir.path()));
        QCOMPARE(list.FileNames(), QStringList({"A.RES", "b.res", "c.Res"}));
        QCOMPARE(list.ListIndex(), -1);
        QVERIFY(list.FileName().isEmpty());

        list.setListIndex(2);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(list.FileName(), QString("c.Res"));
        list.setListIndex(-1);
        QCOMPARE(list.ListIndex(), -1);
        QCOMPARE(clicks.count(), 1);

        list.setListIndex(0);
        list.setPattern("*.gfp"); // a new pattern lists again, with no selection
        QCOMPARE(list.FileNames(), QStringList({"d.gfp"}));
        QCOMPARE(list.ListIndex(), -1);

        // A folder that cannot be listed changes nothing.
        QVERIFY_THROWS_EXCEPTION(ui::ListError, list.setPath(Q(dir / "missing")));
        QCOMPARE(list.path(), Q(dir.path()));
        QCOMPARE(list.FileNames(), QStringList({"d.gfp"}));
    }

    void folderListShowsChainThenSubfolders()
    {
        test::TempDir dir;
        test::MakeFolder(dir / "top" / "Zeta");
        test::MakeFolder(dir / "top" / "alpha");
        test::WriteBytes(dir / "top" / "file", {'x'});
        ui::DirListBox list;
        QSignalSpy changes(&list, &ui::DirListBox::Change);
        const QString top = Q(dir / "top");
        list.setPath(top + "/./");
        QCOMPARE(list.path(), top);
        QCOMPARE(changes.count(), 1);

        const QStringList parts = top.split('/', Qt::SkipEmptyParts);
        const int chain = static_cast<int>(parts.size()) + 1; // "/" and each folder down to top
        QCOMPARE(list.count(), chain + 2);
        QCOMPARE(list.EntryPath(0), QString("/"));
        QCOMPARE(list.item(0)->text(), QString("/"));
        QCOMPARE(list.EntryPath(chain - 1), top);
        QCOMPARE(list.currentRow(), chain - 1);
        QCOMPARE(list.item(chain)->text(), QString("alpha"));
        QCOMPARE(list.item(chain + 1)->text(), QString("Zeta"));

        list.setPath(top); // the same folder: listed again, no change
        QCOMPARE(changes.count(), 1);
        list.OpenEntry(chain);
        QCOMPARE(list.path(), Q(dir / "top" / "alpha"));
        QCOMPARE(changes.count(), 2);
        list.OpenEntry(chain - 2); // up one level
        QCOMPARE(list.path(), Q(dir.path()));

        QVERIFY_THROWS_EXCEPTION(ui::ListError, list.setPath(Q(dir / "top" / "file")));
        QCOMPARE(list.path(), Q(dir.path()));
        QCOMPARE(changes.count(), 3);
    }

    void driveOfTakesTheLongestRoot_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("drive");
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("inside a volume") << "/mnt/usb/pics"
                                         << "/mnt/usb";
        QTest::newRow("the volume itself") << "/mnt/usb"
                                           << "/mnt/usb";
        QTest::newRow("same prefix, other folder") << "/mnt/usb2/x"
                                                   << "/mnt";
        QTest::newRow("outside every volume") << "/home"
                                              << "/";
    }

    void driveOfTakesTheLongestRoot()
    {
        QFETCH(QString, path);
        QFETCH(QString, drive);
        ui::DriveListBox list;
        list.setDrives({"/", "/mnt", "/mnt/usb"});
        QCOMPARE(list.DriveOf(path), drive);
    }

    void mountedDrivesStartWithRoot()
    {
        QStringList drives = ui::DriveListBox::MountedDrives();
        QVERIFY(!drives.isEmpty());
        QCOMPARE(drives.front(), QString("/"));
        QCOMPARE(drives.removeDuplicates(), 0);
        ui::DriveListBox list;
        QSignalSpy changes(&list, &ui::DriveListBox::Change);
        list.setDrive("/"); // shown already: no change
        QCOMPARE(changes.count(), 0);
        QVERIFY_THROWS_EXCEPTION(ui::ListError, list.setDrive("/no/such/drive"));
    }
};

QTEST_MAIN(ListsTest)
#include "lists_test.moc"
