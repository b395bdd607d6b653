#ifndef KELMAR_TABLES_JSON_H
#define KELMAR_TABLES_JSON_H

#include <memory>

#include <QByteArray>

#include <model/app_model.h>

namespace kelmar {

/**
 * The tables an import plug-in handed over, as JSON that programs can check; keep the format stable:
 * {"tables": [{"key", "name", "namespace", "isView", "description", "metadata", "primaryKey", "columns", "relations"}]}.
 */
QByteArray tablesToJson(const std::shared_ptr<model::type_lst_table>& pTables);

} // namespace kelmar

#endif // KELMAR_TABLES_JSON_H
