// The type-mapping editor on a table and a group box of its own: the rows it shows and reads back,
// the empty last row, deleting, Return, and how it shares the table's width.
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <view/odbc_import_type_mapping.h>

class tst_type_mapping : public QObject
{
   Q_OBJECT

   std::unique_ptr<QWidget> m_pWindow;
   QTableWidget* m_pTable = nullptr;
   QGroupBox* m_pGroup = nullptr;
   std::unique_ptr<view::odbc_import_type_mapping> m_pEditor;

   QLineEdit* edit(int iRow, int iColumn) const { return qobject_cast<QLineEdit*>(m_pTable->cellWidget(iRow, iColumn)); }
   void clickDelete(int iRow) const { qobject_cast<QPushButton*>(m_pTable->cellWidget(iRow, 4))->click(); }

   /** "sql~cpp" of each row, then the count of the title. */
   QStringList shown() const
   {
      QStringList lst;
      for (int i = 0; i < m_pTable->rowCount(); ++i) { lst << (edit(i, 2)->text() + "~" + edit(i, 3)->text()); }
      return lst << m_pGroup->title().mid(QString("Mapping").size());
   }

   /** The editor's list as "sql~cpp" in its order. */
   QStringList listed() const
   {
      QStringList lst;
      const auto m = m_pEditor->getListOfTypeMapping();
      for (long i = 0; i < m.count(); ++i) { lst << (m.getKeyByIndex(i) + "~" + m.getByIndex(i)); }
      return lst;
   }

   void fillWith(const QStringList& lst)
   {
      vx::VxCollection<QString, QString> m;
      for (const QString& s : lst) { m.insert(s.section('~', 0, 0), s.section('~', 1)); }
      m_pEditor->setListOfTypeMapping(m);
      m_pEditor->fill();
   }

private Q_SLOTS:
   void init()
   {
      m_pWindow.reset(new QWidget());
      m_pGroup = new QGroupBox("Mapping", m_pWindow.get());
      m_pTable = new QTableWidget(m_pGroup);
      m_pEditor.reset(new view::odbc_import_type_mapping(m_pTable, m_pGroup, m_pGroup->title()));
   }

   void cleanup()
   {
      m_pEditor.reset();
      m_pWindow.reset();
   }

   void fill_data()
   {
      QTest::addColumn<QStringList>("lst");
      QTest::addColumn<QStringList>("expected");
      QTest::newRow("pair missing a side") << QStringList({ "varchar~QString", "~long", "int~qint32", "text~" }) << QStringList({ "varchar~QString", "int~qint32", "~", " (2)" });
      QTest::newRow("empty") << QStringList() << QStringList({ "~", " (0)" });
   }

   // shown twice: the second fill replaces the first one's rows
   void fill()
   {
      QFETCH(QStringList, lst);
      QFETCH(QStringList, expected);
      fillWith({ "a~b", "c~d", "e~f", "g~h", "i~j" });
      fillWith(lst);
      QCOMPARE(shown(), expected);
      QVERIFY(m_pTable->isColumnHidden(0) && ! m_pTable->isColumnHidden(2));
   }

   // typing the SQL type into the new row adds the next one; erasing it or typing only a C++ type does not
   void newRow()
   {
      fillWith({ "int~qint32" });
      edit(1, 3)->setText("long");
      QCOMPARE(shown(), QStringList({ "int~qint32", "~long", " (1)" }));
      edit(1, 2)->setText("bigint");
      QCOMPARE(shown(), QStringList({ "int~qint32", "bigint~long", "~", " (2)" }));
      edit(1, 2)->clear();
      QCOMPARE(shown(), QStringList({ "int~qint32", "~long", "~", " (2)" }));
   }

   void file_data()
   {
      QTest::addColumn<QStringList>("rows");
      QTest::addColumn<QStringList>("expected");
      QTest::newRow("duplicate: upper row wins, case counts") << QStringList({ "int~a", "INT~b", "int~c" }) << QStringList({ "int~a", "INT~b" });
      QTest::newRow("a side missing") << QStringList({ "text~", "~long", "real~double" }) << QStringList("real~double");
      QTest::newRow("texts as typed") << QStringList(" char ~ char* ") << QStringList(" char ~ char* ");
   }

   // the list follows the table only on file()
   void file()
   {
      QFETCH(QStringList, rows);
      QFETCH(QStringList, expected);
      QStringList lstPlaceholders;
      for (int i = 0; i < rows.count(); ++i) { lstPlaceholders << QString("p%1~x").arg(i); }
      fillWith(lstPlaceholders);
      for (int i = 0; i < rows.count(); ++i)
      {
         edit(i, 2)->setText(rows.at(i).section('~', 0, 0));
         edit(i, 3)->setText(rows.at(i).section('~', 1));
      }
      QCOMPARE(listed(), lstPlaceholders);
      m_pEditor->file();
      QCOMPARE(listed(), expected);
   }

   // rows keep their identity when a row above them goes; the new row's button and a row without SQL type remove nothing
   void deleteRows()
   {
      fillWith({ "a~1", "b~2", "c~3" });
      clickDelete(1);
      QCOMPARE(shown(), QStringList({ "a~1", "c~3", "~", " (2)" }));
      QCOMPARE(m_pTable->item(1, 0)->data(Qt::UserRole + 1).toString(), QString("c"));
      clickDelete(2);
      edit(0, 2)->clear();
      clickDelete(0);
      QCOMPARE(shown(), QStringList({ "~1", "c~3", "~", " (2)" }));
      clickDelete(1);
      QCOMPARE(shown(), QStringList({ "~1", "~", " (1)" }));
   }

   // Return: SQL type to the C++ type of the row, C++ type to the SQL type of the next row, nothing in the last row
   void returnKey()
   {
      fillWith({ "a~1", "b~2" });
      m_pWindow->show();
      QApplication::setActiveWindow(m_pWindow.get());
      const QList<QPair<QLineEdit*, QLineEdit*>> lstMoves({ { edit(0, 2), edit(0, 3) }, { edit(0, 3), edit(1, 2) }, { edit(1, 3), edit(2, 2) }, { edit(2, 3), edit(2, 3) } });
      for (const auto& move : lstMoves)
      {
         move.first->setFocus();
         QTest::keyClick(move.first, Qt::Key_Return);
         QCOMPARE(QApplication::focusWidget(), move.second);
      }
   }

   void widthRule_data()
   {
      QTest::addColumn<int>("rest");
      QTest::newRow("10: content widths") << 10;
      QTest::newRow("11: 5 each") << 11;
      QTest::newRow("400: 200 each") << 400;
   }

   // width - 5 - visible vertical scroll bar - columns 1 and 4 is shared by columns 2 and 3 when above 10
   void widthRule()
   {
      QFETCH(int, rest);
      fillWith({ "a much longer SQL type~and its C++ type" });
      m_pTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      m_pTable->horizontalHeader()->setMinimumSectionSize(1);   // the style's minimum would hide what the editor asks for
      m_pTable->resizeColumnsToContents();
      const int iContent2 = m_pTable->columnWidth(2), iContent3 = m_pTable->columnWidth(3);
      m_pTable->resize(5 + m_pTable->columnWidth(1) + m_pTable->columnWidth(4) + rest, 200);
      m_pEditor->resizeTableWidget();
      QCOMPARE(m_pTable->columnWidth(2), (rest > 10) ? (rest / 2) : iContent2);
      QCOMPARE(m_pTable->columnWidth(3), (rest > 10) ? (rest / 2) : iContent3);
   }
};

QTEST_MAIN(tst_type_mapping)
#include "tst_type_mapping.moc"
