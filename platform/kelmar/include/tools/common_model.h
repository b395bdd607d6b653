#ifndef TOOLS_COMMON_MODEL_H
#define TOOLS_COMMON_MODEL_H

class QStandardItemModel;

namespace tools {

/** Choice lists shared by the host's windows; each entry's number is its data under Qt::UserRole + 1. */
class common_model
{
public:
   static QStandardItemModel* getModelDecorationForRelationship();
   static QStandardItemModel* getModelAllCollection();
};

} // namespace tools

#endif // TOOLS_COMMON_MODEL_H
