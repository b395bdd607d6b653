#ifndef TOOLS_SCOPED_IN_EVENT_H
#define TOOLS_SCOPED_IN_EVENT_H

namespace tools {

/** Holds flag at value while alive and gives it its old value back after. */
class scoped_in_event
{
public:
   scoped_in_event(bool& flag, bool value, int iEventId = -1) : m_flag(flag), m_bOld(flag), m_iEventId(iEventId) { m_flag = value; }
   ~scoped_in_event() { m_flag = m_bOld; }
   scoped_in_event(const scoped_in_event&) = delete;
   scoped_in_event& operator=(const scoped_in_event&) = delete;
   int getEventId() const { return m_iEventId; }

private:
   bool& m_flag;
   bool m_bOld;
   int m_iEventId;
};

} // namespace tools

#endif // TOOLS_SCOPED_IN_EVENT_H
