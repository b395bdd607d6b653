#ifndef VX_IVCOLLECTION_H
#define VX_IVCOLLECTION_H

namespace vx {

/** Untyped face of every keyed collection: what can be done without knowing key and value types. */
class IvCollection
{
public:
   virtual ~IvCollection() = default;

   virtual long count() const = 0;
   virtual void clear() = 0;
   virtual bool removeByIndex(long index) = 0;
};

} // namespace vx

#endif // VX_IVCOLLECTION_H
