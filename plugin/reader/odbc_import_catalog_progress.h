#ifndef PLUGIN_ODBC_IMPORT_CATALOG_PROGRESS_H
#define PLUGIN_ODBC_IMPORT_CATALOG_PROGRESS_H

#include <functional>

#include <QElapsedTimer>
#include <QtGlobal>

namespace plugin {

/**
 * The progress of one catalogue read, 0 to 100, told as the rows arrive: each stage (the tables query, the
 * primary keys, the relationships, the columns, the tables built) owns a share of the range. A stage that
 * knows how many rows it gets moves through its share by row; one that does not approaches its end as
 * rows come. Values only rise (a stage begun below what was told starts there), and a new one is told once
 * a few hundred rows or 100 ms after the last.
 */
class odbc_import_catalog_progress
{
public:
   typedef std::function<void(int)> type_listener;

   explicit odbc_import_catalog_progress(type_listener listener) : m_listener(std::move(listener)) { m_timer.start(); }

   /** A stage from iFrom to iTo (percent), its rows not yet known. */
   void begin(int iFrom, int iTo);
   /** The rows of the stage: lRows when known (0 or more), else about lGuess. */
   void expect(long lRows, long lGuess) { m_bKnown = (lRows >= 0); m_lExpected = (m_bKnown ? lRows : qMax(1L, lGuess)); }
   /** One more row of the stage. */
   void row()
   {
      ++m_lRows;
      if (((m_lRows - m_lToldAt) >= k_lRows) || ((m_timer.elapsed() - m_iToldAtMs) >= k_iMs)) { tell(valueNow()); }
   }
   /** The stage is done: its end is told. */
   void end() { tell(m_iTo); }

   static const long k_lRows = 256;
   static const qint64 k_iMs = 100;

private:
   int valueNow() const;
   void tell(int iValue);

   type_listener m_listener;
   QElapsedTimer m_timer;
   int m_iFrom = 0, m_iTo = 0, m_iTold = 0;
   bool m_bKnown = false;
   long m_lExpected = 1000, m_lRows = 0, m_lToldAt = 0;
   qint64 m_iToldAtMs = 0;
};

} // namespace plugin

#endif // PLUGIN_ODBC_IMPORT_CATALOG_PROGRESS_H
