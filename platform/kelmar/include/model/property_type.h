#ifndef MODEL_PROPERTY_TYPE_H
#define MODEL_PROPERTY_TYPE_H

#include <QString>

namespace model {

class property_type
{
public:
   // fixed underlying type: the plug-ins pass option values through unchecked
   enum enum_decoration : int
   {
      e_no_decoration = 0,
      e_boost_shared_ptr = 1,
      e_qt_shared_pointer = 2,
      e_boost_scoped_ptr = 3,
      e_qt_scoped_pointer = 4,
      e_std_shared_ptr = 5,
      e_std_unique_ptr = 6
   };

   enum enum_collection : int
   {
      e_vx_collection = 1,
      e_std_vector = 2,
      e_std_list = 3,
      e_std_set = 4,
      e_std_map = 5,
      e_std_unordered_map = 6,
      e_qt_vector = 7,
      e_qt_hash = 8,
      e_qt_map = 9,
      e_qt_list = 10
   };

   /** "T" wrapped in the decoration's smart pointer (or left bare). */
   static QString decorate(enum_decoration decoration, const QString& type);
   /** A collection of items of the given type. */
   static QString collect(enum_collection collection, const QString& itemType, const QString& keyType = QString("long"));
};

} // namespace model

#endif // MODEL_PROPERTY_TYPE_H
