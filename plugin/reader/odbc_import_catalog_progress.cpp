#include "odbc_import_catalog_progress.h"

namespace plugin {

void odbc_import_catalog_progress::begin(int iFrom, int iTo)
{
   // a read begun again (table by table, after a catalogue-wide query failed) goes on from where it was
   m_iFrom = qMax(iFrom, m_iTold);
   m_iTo = qMax(iTo, m_iFrom);
   m_bKnown = false;
   m_lExpected = 1000;
   m_lRows = 0;
   tell(iFrom);
}

int odbc_import_catalog_progress::valueNow() const
{
   const double dRows = static_cast<double>(m_lRows), dExpected = static_cast<double>(qMax(1L, m_lExpected));
   // a known count moves through the share; a guessed one goes to 90 % of it at the guess, then ever closer to its end
   double dDone = 0.0;
   if (m_bKnown) { dDone = qMin(1.0, dRows / dExpected); }
   else { dDone = ((dRows < dExpected) ? (0.9 * dRows / dExpected) : (1.0 - 0.1 * dExpected / dRows)); }
   const int iValue = m_iFrom + static_cast<int>(static_cast<double>(m_iTo - m_iFrom) * dDone);
   return qMin(iValue, m_bKnown ? m_iTo : (m_iTo - 1));
}

void odbc_import_catalog_progress::tell(int iValue)
{
   m_lToldAt = m_lRows;
   m_iToldAtMs = m_timer.elapsed();
   if (iValue <= m_iTold) { return; }
   m_iTold = iValue;
   if (m_listener) { m_listener(iValue); }
}

} // namespace plugin
