// The window that shows an import's failure text: its text box and its Close button.
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "wnd_odbc_import_result.h"

class tst_headless_result_window : public QObject
{
   Q_OBJECT

   view::wnd_odbc_import_result* m_pWnd = nullptr;
   QPlainTextEdit* m_pText = nullptr;
   QPushButton* m_pClose = nullptr;

private Q_SLOTS:
   void init()
   {
      m_pWnd = new view::wnd_odbc_import_result(nullptr, Qt::WindowFlags());
      m_pText = m_pWnd->findChild<QPlainTextEdit*>("m_txtResult");
      m_pClose = m_pWnd->findChild<QPushButton*>("m_btnClose");
      QVERIFY(m_pText && m_pClose);
   }

   void cleanup() { delete m_pWnd; }

   void setMessages_data()
   {
      QTest::addColumn<QStringList>("lstMessages");
      QTest::addColumn<QString>("expected");
      QTest::newRow("none") << QStringList() << QString();
      QTest::newRow("two") << QStringList({ "first", "second" }) << "first\n\nsecond";
      QTest::newRow("several lines each") << QStringList({ "a\nb", "", "c" }) << "a\nb\n\n\n\nc";
   }

   // each call replaces what the box showed
   void setMessages()
   {
      QFETCH(QStringList, lstMessages);
      QFETCH(QString, expected);
      m_pWnd->setMessages({ "shown before" });
      m_pWnd->setMessages(lstMessages);
      QCOMPARE(m_pText->toPlainText(), expected);
   }

   // modal, as the import runs it: the text takes no input, Tab moves on to Close, and Close ends the nested loop
   void readOnlyAndClose()
   {
      m_pWnd->setMessages({ "failure" });
      QTimer::singleShot(0, m_pText, [this]() {
         QApplication::setActiveWindow(m_pWnd);
         m_pText->setFocus();
         QTest::keyClicks(m_pText, "typed");
         QTest::keyClick(m_pText, Qt::Key_Backspace);
         QTest::keyClick(m_pText, Qt::Key_Tab);
         if (QApplication::focusWidget() == m_pClose) { QTest::keyClick(m_pClose, Qt::Key_Space); } else { m_pWnd->done(-1); }
      });
      QCOMPARE(m_pWnd->exec(), static_cast<int>(QDialog::Rejected));
      QCOMPARE(m_pText->toPlainText(), QString("failure"));
      QVERIFY(! m_pWnd->isVisible());
   }
};

QTEST_MAIN(tst_headless_result_window)
#include "tst_headless_result_window.moc"
