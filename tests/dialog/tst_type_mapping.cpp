// The type-mapping editor on a table and a group box of its own: the rows it shows and reads back,
// the empty last row, deleting, Return, and how it shares the table's width.
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <odbc_import_type_mapping.h>

class tst_type_mapping : public QObject
{
   Q_OBJECT

   std::unique_ptr<QWidget> m_pWindow;
   QTableWidget* m_pTable = nullptr;
   QGroupBox* m_pGroup = nullptr;
   std::unique_ptr<view::odbc_import_type_mapping> m_pEditor;

   QLineEdit* edit(int iRow, int iColumn) const { return qobject_cast<QLineEdit*>(m_pTable->cellWidget(iRow, iColumn)); }

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

   void edits_data()
   {
      QTest::addColumn<QStringList>("lst");       // "sql~cpp" given to fill()
      QTest::addColumn<QStringList>("edits");     // "row column text" typed, or "delete row"
      QTest::addColumn<QStringList>("expected");  // what the table then shows
      QTest::newRow("fill: pairs missing a side") << QStringList({ "varchar~QString", "~long", "int~qint32", "text~" }) << QStringList()
                                                 << QStringList({ "varchar~QString", "int~qint32", "~", " (2)" });
      QTest::newRow("fill: empty") << QStringList() << QStringList() << QStringList({ "~", " (0)" });
      QTest::newRow("new row: C++ type only") << QStringList("int~qint32") << QStringList("1 3 long") << QStringList({ "int~qint32", "~long", " (1)" });
      QTest::newRow("new row: SQL type") << QStringList("int~qint32") << QStringList({ "1 3 long", "1 2 bigint" }) << QStringList({ "int~qint32", "bigint~long", "~", " (2)" });
      QTest::newRow("new row: erased again") << QStringList("int~qint32") << QStringList({ "1 2 bigint", "1 2 " }) << QStringList({ "int~qint32", "~", "~", " (2)" });
      // a row's buttons know their row by identity: the one below a deleted row deletes its own
      QTest::newRow("delete the middle row, then the one below it") << QStringList({ "a~1", "b~2", "c~3" }) << QStringList({ "delete 1", "delete 1" })
                                                                     << QStringList({ "a~1", "~", " (1)" });
      QTest::newRow("delete: the new row") << QStringList("a~1") << QStringList("delete 1") << QStringList({ "a~1", "~", " (1)" });
      QTest::newRow("delete: a row without SQL type") << QStringList({ "a~1", "c~3" }) << QStringList({ "0 2 ", "delete 0" }) << QStringList({ "~1", "c~3", "~", " (2)" });
   }

   // shown over an earlier fill (its rows go), then edited as a user does
   void edits()
   {
      QFETCH(QStringList, lst);
      QFETCH(QStringList, edits);
      QFETCH(QStringList, expected);
      fillWith({ "a~b", "c~d", "e~f", "g~h", "i~j" });
      fillWith(lst);
      for (const QString& s : edits)
      {
         if (s.startsWith("delete")) { qobject_cast<QPushButton*>(m_pTable->cellWidget(s.section(' ', 1, 1).toInt(), 4))->click(); }
         else { edit(s.section(' ', 0, 0).toInt(), s.section(' ', 1, 1).toInt())->setText(s.section(' ', 2)); }
      }
      QCOMPARE(shown(), expected);
      QVERIFY(m_pTable->isColumnHidden(0) && ! m_pTable->isColumnHidden(2));
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
