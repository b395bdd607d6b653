#ifndef MODEL_APP_MODEL_H
#define MODEL_APP_MODEL_H

#include "app_column.h"
#include "app_foreign_key.h"
#include "app_primary_key.h"
#include "app_table.h"

namespace model {
typedef vx::VxCollection<long, std::shared_ptr<app_table>> type_lst_table;
} // namespace model

#endif // MODEL_APP_MODEL_H
