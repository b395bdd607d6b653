#ifndef KEL_TESTS_MODAL_WATCH_H
#define KEL_TESTS_MODAL_WATCH_H

#include <functional>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTextDocument>
#include <QTimer>

namespace kel_test {

/** What a label, tool tip or message box shows of a text in that format: markup rendered, plain text as it stands. */
inline QString shownText(const QString& sText, Qt::TextFormat format = Qt::AutoText)
{
   if ((format == Qt::PlainText) || ((format == Qt::AutoText) && ! Qt::mightBeRichText(sText))) { return sText; }
   QTextDocument doc;
   doc.setHtml(sText);
   return doc.toPlainText();
}

/**
 * Meets every modal window that opens while it lives, so that no test blocks on one: a message box
 * is recorded ("title: text", the text as it shows) and answered with Ok; any other dialog goes to the handler (run from
 * the event loop of that dialog), or is rejected. Runs inside nested event loops as well.
 */
class modal_watch : public QObject
{
public:
   explicit modal_watch(std::function<void(QDialog*)> handler = {}) : m_handler(std::move(handler))
   {
      connect(&m_timer, &QTimer::timeout, this, &modal_watch::check);
      m_timer.start(0);
   }

   QStringList messages;
   /** Class names of the dialogs given to the handler, in order. */
   QStringList dialogs;

private:
   void check()
   {
      auto* pDialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (! pDialog || m_lstSeen.contains(pDialog)) { return; }
      m_lstSeen.append(pDialog);
      if (auto* pBox = qobject_cast<QMessageBox*>(pDialog))
      {
         messages << (pBox->windowTitle() + ": " + shownText(pBox->text(), pBox->textFormat()));
         return pBox->done(QMessageBox::Ok);
      }
      dialogs << QString::fromLatin1(pDialog->metaObject()->className());
      // a timer does not fire again while its own slot runs: the handler gets a timer of its own
      const QPointer<QDialog> pGuard(pDialog);
      QTimer::singleShot(0, pDialog, [this, pGuard]() { if (pGuard) { m_handler ? m_handler(pGuard) : pGuard->reject(); } });
   }

   std::function<void(QDialog*)> m_handler;
   QTimer m_timer;
   QList<QPointer<QDialog>> m_lstSeen;
};

} // namespace kel_test

#endif // KEL_TESTS_MODAL_WATCH_H
