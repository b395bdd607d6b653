#ifndef VX_VXSINGLETON_H
#define VX_VXSINGLETON_H

namespace vx {

/** One process-wide instance of T, created on first use (thread-safe since C++11). */
template <class T>
class VxSingleton
{
public:
   static T* getSingleton()
   {
      static T instance;
      return (&instance);
   }

protected:
   VxSingleton() = default;
   ~VxSingleton() = default;
   VxSingleton(const VxSingleton&) = delete;
   VxSingleton& operator=(const VxSingleton&) = delete;
};

} // namespace vx

#endif // VX_VXSINGLETON_H
