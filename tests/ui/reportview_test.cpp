// The report box: long lines are one row reached by scrolling, Ctrl+C copies the selected lines.
#include "ui/reportview.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QStandardPaths>
#include <QtTest>

using varnox::ui::ReportView;

class ReportViewTest : public QObject {
    Q_OBJECT

    const std::vector<std::string> lines_{"Gültige RES-File", "\tItemname:ä", "\tItemname:b", ""};

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // A line wider than the box stays one row (no row of its indent alone before it) and is
    // reachable whole by the horizontal scroll bar.
    void longLineIsOneRow()
    {
        ReportView view;
        view.resize(200, 120);
        const std::string longLine = "\tItemname:" + std::string(250, 'x');
        view.SetLines({"Anzahl:1", longLine, "Ende"});
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.LineCount(), 3);
        const QModelIndex second = view.model()->index(1, 0);
        QCOMPARE(view.visualRect(second).top(), view.visualRect(view.model()->index(0, 0)).bottom() + 1);
        QCOMPARE(view.visualRect(second).height(), view.visualRect(view.model()->index(2, 0)).height());
        QVERIFY(view.visualRect(second).width() >
                view.fontMetrics().horizontalAdvance(second.data().toString()));
        QVERIFY(view.horizontalScrollBar()->maximum() > 0);
    }

    void copiesTheSelectedLines_data()
    {
        QTest::addColumn<QList<int>>("rows"); // empty: Ctrl+A
        QTest::addColumn<QString>("copied");
        QTest::newRow("one line, its tab kept") << QList<int>{1} << QString("\tItemname:ä");
        QTest::newRow("in the report's order")
            << QList<int>{2, 0} << QString("Gültige RES-File\n\tItemname:b");
        QTest::newRow("all") << QList<int>{} << QString("Gültige RES-File\n\tItemname:ä\n\tItemname:b\n");
    }

    void copiesTheSelectedLines()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QString, copied);
        ReportView view;
        view.SetLines(lines_);
        QCOMPARE(view.toPlainText(), QString("Gültige RES-File\n\tItemname:ä\n\tItemname:b\n"));
        if (rows.isEmpty())
            QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
        for (const int row : rows)
            view.selectionModel()->select(view.model()->index(row, 0), QItemSelectionModel::Select);
        QApplication::clipboard()->clear();
        QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), copied);
    }
};

QTEST_MAIN(ReportViewTest)
#include "reportview_test.moc"
