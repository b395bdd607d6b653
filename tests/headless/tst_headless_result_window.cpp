// The window that shows an import's failure text: its form, its text box and its Close button.
#include <QGridLayout>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QTimer>
#include <QtTest>

#include "view/wnd_odbc_import_result.h"

class tst_headless_result_window : public QObject
{
   Q_OBJECT

   template <class T>
   static T* child(const QObject& parent, const char* sName)
   {
      T* p = parent.findChild<T*>(QString::fromLatin1(sName));
      if (! p) { qWarning("no child '%s'", sName); }
      return p;
   }

private Q_SLOTS:
   void form()
   {
      view::wnd_odbc_import_result wnd(nullptr, Qt::WindowFlags());
      QCOMPARE(wnd.metaObject()->className(), "view::wnd_odbc_import_result");
      QCOMPARE(wnd.objectName(), QString("wnd_odbc_import_result"));
      QCOMPARE(wnd.size(), QSize(541, 351));
      QCOMPARE(wnd.windowTitle(), QString());

      auto* pTop = child<QGridLayout>(wnd, "gridLayout_1");
      auto* pWidget = child<QWidget>(wnd, "m_widgetResult");
      auto* pInner = child<QGridLayout>(wnd, "gridLayout_2");
      auto* pGroup = child<QGroupBox>(wnd, "m_grpResult");
      auto* pGroupLayout = child<QGridLayout>(wnd, "gridLayout");
      auto* pText = child<QPlainTextEdit>(wnd, "m_txtResult");
      auto* pCloseLayout = child<QGridLayout>(wnd, "m_glClose");
      auto* pClose = child<QPushButton>(wnd, "m_btnClose");
      QVERIFY(pTop && pWidget && pInner && pGroup && pGroupLayout && pText && pCloseLayout && pClose);

      QCOMPARE(wnd.layout(), pTop);
      QCOMPARE(pTop->itemAtPosition(0, 0)->widget(), pWidget);
      QCOMPARE(pTop->itemAtPosition(1, 0)->layout(), pCloseLayout);
      QCOMPARE(pWidget->layout(), pInner);
      QCOMPARE(pInner->contentsMargins(), QMargins(0, 0, 0, 0));
      QCOMPARE(pInner->itemAtPosition(0, 0)->widget(), pGroup);
      QCOMPARE(pGroup->layout(), pGroupLayout);
      QCOMPARE(pGroupLayout->itemAtPosition(0, 0)->widget(), pText);
      QCOMPARE(pCloseLayout->itemAtPosition(0, 1)->widget(), pClose);
      QCOMPARE(pClose->parentWidget(), &wnd);
      QSpacerItem* pSpacer = pCloseLayout->itemAtPosition(0, 0)->spacerItem();
      QVERIFY(pSpacer);
      QCOMPARE(pSpacer->sizeHint(), QSize(40, 20));
      QCOMPARE(pSpacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
      QCOMPARE(pSpacer->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);
      QCOMPARE(QList<int>({ pTop->count(), pInner->count(), pGroupLayout->count(), pCloseLayout->count() }), QList<int>({ 2, 1, 1, 2 }));

      QCOMPARE(pGroup->title(), QString("ODBC import plugin results"));
      QCOMPARE(pGroup->styleSheet(), QString("QGroupBox::title{color:rgb(0, 0, 255)}"));
      QVERIFY(pText->isReadOnly());
      QVERIFY(pText->tabChangesFocus());
      QCOMPARE(pText->toPlainText(), QString());
      QCOMPARE(pClose->text(), QString("Close"));
   }

   void setMessages_data()
   {
      QTest::addColumn<QStringList>("lstMessages");
      QTest::addColumn<QString>("expected");
      QTest::newRow("none") << QStringList() << QString();
      QTest::newRow("one") << QStringList("cannot add entities") << "cannot add entities";
      QTest::newRow("two") << QStringList({ "first", "second" }) << "first\n\nsecond";
      QTest::newRow("several lines each") << QStringList({ "a\nb", "", "c" }) << "a\nb\n\n\n\nc";
   }

   // each call replaces what the box showed
   void setMessages()
   {
      QFETCH(QStringList, lstMessages);
      QFETCH(QString, expected);
      view::wnd_odbc_import_result wnd(nullptr, Qt::WindowFlags());
      wnd.setMessages({ "shown before" });
      wnd.setMessages(lstMessages);
      QCOMPARE(child<QPlainTextEdit>(wnd, "m_txtResult")->toPlainText(), expected);
   }

   void textBoxTakesNoInputAndTabMovesOn()
   {
      view::wnd_odbc_import_result wnd(nullptr, Qt::WindowFlags());
      wnd.setMessages({ "failure" });
      wnd.show();
      QApplication::setActiveWindow(&wnd);
      auto* pText = child<QPlainTextEdit>(wnd, "m_txtResult");
      pText->setFocus();
      QCOMPARE(QApplication::focusWidget(), pText);
      QTest::keyClicks(pText, "typed");
      QTest::keyClick(pText, Qt::Key_Backspace);
      QTest::keyClick(pText, Qt::Key_Tab);
      QCOMPARE(pText->toPlainText(), QString("failure"));
      QCOMPARE(QApplication::focusWidget(), child<QPushButton>(wnd, "m_btnClose"));
   }

   void resizingGrowsTheTextBox()
   {
      view::wnd_odbc_import_result wnd(nullptr, Qt::WindowFlags());
      wnd.show();
      auto* pText = child<QPlainTextEdit>(wnd, "m_txtResult");
      auto* pClose = child<QPushButton>(wnd, "m_btnClose");
      const QSize small = pText->size();
      wnd.resize(wnd.width() + 200, wnd.height() + 100);
      wnd.layout()->activate();
      QCOMPARE(pText->size(), small + QSize(200, 100));
      // the button keeps the bottom right corner of the layout
      const QRect area = wnd.layout()->contentsRect();
      QCOMPARE(pClose->geometry().right(), area.right());
      QCOMPARE(pClose->geometry().bottom(), area.bottom());
   }

   void closeButtonCloses()
   {
      view::wnd_odbc_import_result wnd(nullptr, Qt::WindowFlags());
      auto* pClose = child<QPushButton>(wnd, "m_btnClose");
      wnd.show();
      QVERIFY(wnd.isVisible());
      QTest::mouseClick(pClose, Qt::LeftButton);
      QVERIFY(! wnd.isVisible());
      // modal, as the import runs it: Close ends the nested loop
      QTimer::singleShot(0, pClose, &QPushButton::click);
      QCOMPARE(wnd.exec(), static_cast<int>(QDialog::Rejected));
      QVERIFY(! wnd.isVisible());
   }
};

QTEST_MAIN(tst_headless_result_window)
#include "tst_headless_result_window.moc"
