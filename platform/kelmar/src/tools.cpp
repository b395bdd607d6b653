#include <QEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>

#include <model/property_type.h>
#include <tools/common_model.h>
#include <tools/event_filter.h>
#include <tools/validator_helper.h>

namespace tools {

namespace {
const QRegularExpression& namespaceRule()
{
   static const QRegularExpression rx("^([A-Za-z_][A-Za-z0-9_]*(::[A-Za-z_][A-Za-z0-9_]*)*)?$");
   return rx;
}
} // namespace

void validator_helper::setValidator_Namespace(QLineEdit* pLineEdit)
{
   if (! pLineEdit) { return; }
   pLineEdit->setValidator(new QRegularExpressionValidator(namespaceRule(), pLineEdit));
}

namespace {

QStandardItemModel* makeModel(std::initializer_list<std::pair<int, const char*>> entries)
{
   auto* pModel = new QStandardItemModel();
   for (const auto& entry : entries)
   {
      auto* pItem = new QStandardItem(QString::fromLatin1(entry.second));
      pItem->setData(entry.first, Qt::UserRole + 1);
      pModel->appendRow(pItem);
   }
   return pModel;
}

} // namespace

QStandardItemModel* common_model::getModelDecorationForRelationship()
{
   typedef model::property_type t;
   static QStandardItemModel* pModel = makeModel({ { t::e_no_decoration, "<no decoration>" }, { t::e_boost_shared_ptr, "boost::shared_ptr<T>" },
                                                   { t::e_qt_shared_pointer, "QSharedPointer<T>" }, { t::e_std_shared_ptr, "std::shared_ptr<T>" } });
   return pModel;
}

QStandardItemModel* common_model::getModelAllCollection()
{
   typedef model::property_type t;
   static QStandardItemModel* pModel = makeModel({ { t::e_vx_collection, "vx::VxCollection<K, V>" }, { t::e_std_vector, "std::vector<T>" },
                                                   { t::e_std_list, "std::list<T>" }, { t::e_std_set, "std::set<T>" }, { t::e_std_map, "std::map<K, V>" },
                                                   { t::e_std_unordered_map, "std::unordered_map<K, V>" }, { t::e_qt_vector, "QVector<T>" },
                                                   { t::e_qt_hash, "QHash<K, V>" }, { t::e_qt_map, "QMap<K, V>" }, { t::e_qt_list, "QList<T>" } });
   return pModel;
}

event_filter::event_filter(QObject* parent) : QObject(parent) { ; }

bool event_filter::eventFilter(QObject* pWatched, QEvent* pEvent)
{
   if (pEvent->type() == QEvent::Show) { Q_EMIT onVisibilityChanged(pWatched, true); }
   else if (pEvent->type() == QEvent::Hide) { Q_EMIT onVisibilityChanged(pWatched, false); }
   return QObject::eventFilter(pWatched, pEvent);
}

} // namespace tools
