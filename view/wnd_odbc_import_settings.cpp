// The settings of the dialog, stored per project as rows of the host's plug-in parameter table.
#include "wnd_odbc_import.h"

#include <QFile>

#include <vx/VxDao.h>
#include <vx/VxSession.h>

#include <context/ctx_project.h>
#include <context/ctx_scoped.h>
#include <model/plugin_params.h>
#include <tools/wait_cursor.h>

#include <plugin/import_interface.h>
#include <vx/VxSerializeQt.h>

namespace view {

namespace {

typedef vx::VxCollection<long, std::shared_ptr<model::plugin_params>> type_lst_plugin_params;

QString settingsGuid(const plugin::import_interface* pPlugin) { return (pPlugin->getGuid() + "_WND_ODBC_IMPORT"); }

vx::VxSqlQuery settingsQuery(const QString& sGuid)
{
   vx::VxSqlQuery query;
   query.where("t_plugin_params.plugin_guid", sGuid);
   return query;
}

} // namespace

QSqlError wnd_odbc_import::loadSettings()
{
   if (! m_pPlugin) { return QSqlError(); }
   tools::wait_cursor wait;
   if (! context::ctx_project::getProject()) { return QSqlError(); }
   context::ctx_scoped scoped(vx::VxSingleton<context::ctx_project>::getSingleton());
   type_lst_plugin_params lstParams;
   const QSqlError error = vx::dao::fetch_by_query(settingsQuery(settingsGuid(m_pPlugin)), lstParams);
   m_bSettingsLoadFailed = error.isValid();
   if (error.isValid()) { return error; }
   for (long i = 0; i < lstParams.count(); ++i)
   {
      const auto pParam = lstParams.getByIndex(i);
      if (pParam) { applySetting(pParam->getParamKey(), pParam->getParamValue()); }
   }
   return error;
}

void wnd_odbc_import::applySetting(const QString& sKey, const QVariant& vValue)
{
   const auto selectNumber = [&vValue](QComboBox* pCombo) { pCombo->setCurrentIndex(pCombo->findData(QVariant(vValue.toInt()), k_iRoleNumber, Qt::MatchExactly | Qt::MatchCaseSensitive)); };
   if (sKey == "DSN") { m_txtConnectionString->setText(vValue.toString()); }
   else if (sKey == "LOGIN") { m_txtLogin->setText(vValue.toString()); }
   else if (sKey == "PASSWORD") { m_txtPassword->setText(vValue.toString()); }
   else if (sKey == "DB_TYPE") { m_cboDatabaseType->setCurrentIndex(m_cboDatabaseType->findText(vValue.toString(), Qt::MatchExactly | Qt::MatchCaseSensitive)); }
   else if (sKey == "NAMESPACE") { m_txtNamespace->setText(vValue.toString()); }
   else if (sKey == "DELETE_NAMESPACE") { m_chkDeleteNamespace->setChecked(vValue.toBool()); }
   else if (sKey == "IMPORT_COMMENT") { m_chkImportComment->setChecked(vValue.toBool()); }
   else if (sKey == "IMPORT_DEFAULT_VALUE") { m_chkImportDefaultValue->setChecked(vValue.toBool()); }
   else if (sKey == "RELATIONSHIP_DECORATION") { selectNumber(m_cboDecoration); }
   else if (sKey == "RELATIONSHIP_COLLECTION") { selectNumber(m_cboCollection); }
   else if (sKey == "BOOST_OPTIONAL_DECORATION_FOR_NULL_VALUE") { m_chkBoostOptionalForNullValue->setChecked(vValue.toBool()); }
   // a value that is no stored list leaves the list as it was
   else if (sKey == "LIST_TYPE_MAPPING_FROM_SQL_TO_CPP") { vx::serialization::qt::from_byte_array(m_listOfTypeMapping, QByteArray::fromBase64(vValue.toString().toLatin1())); }
   else if (sKey == "ORGANIZE_DIAGRAM_LAYOUT") { m_chkOrganizeLayout->setChecked(vValue.toBool()); }
   // the window as the user left it: its size and where the panes meet
   else if (sKey == "WND_GEOMETRY") { restoreGeometry(QByteArray::fromBase64(vValue.toString().toLatin1())); }
   else if (sKey == "WND_SPLITTER_MAIN") { m_splitterMain->restoreState(QByteArray::fromBase64(vValue.toString().toLatin1())); }
   else if (sKey == "WND_SPLITTER_ITEMS") { m_splitterItems->restoreState(QByteArray::fromBase64(vValue.toString().toLatin1())); }
}

QSqlError wnd_odbc_import::saveSettings()
{
   if (! m_pPlugin) { return QSqlError(); }
   if (m_bSettingsLoadFailed) { return QSqlError(QString(), "the stored settings could not be read: they are not overwritten", QSqlError::UnknownError); }
   tools::wait_cursor wait;
   if (! context::ctx_project::getProject()) { return QSqlError(); }
   // a stored password is for the owner's eyes only: the file is closed to the others before it holds one
   const QString sFile = context::ctx_project::getProject()->getFilePath();
   const QFileDevice::Permissions others = (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
   if (! m_txtPassword->text().isEmpty() && (QFile::permissions(sFile) & others) && ! QFile::setPermissions(sFile, QFile::permissions(sFile) & ~others))
   { return QSqlError(QString(), "the project file cannot be closed to other users: the password is not stored there", QSqlError::UnknownError); }
   context::ctx_scoped scoped(vx::VxSingleton<context::ctx_project>::getSingleton());
   const QString sGuid = settingsGuid(m_pPlugin);
   // one transaction: when the insert fails, the delete is rolled back and the old rows stay
   vx::VxSession session;

   type_lst_plugin_params lstParams;
   const auto add = [&](const char* sKey, const QVariant& vValue) {
      auto pParam = std::make_shared<model::plugin_params>();
      pParam->setGuid(sGuid);
      pParam->setParamKey(QString::fromLatin1(sKey));
      pParam->setParamValue(vValue);
      lstParams.insert(lstParams.count(), pParam);
   };
   add("DSN", m_txtConnectionString->text());
   add("LOGIN", m_txtLogin->text());
   add("PASSWORD", m_txtPassword->text());
   add("DB_TYPE", m_cboDatabaseType->currentText());
   add("NAMESPACE", m_txtNamespace->text());
   add("DELETE_NAMESPACE", m_chkDeleteNamespace->isChecked());
   add("IMPORT_COMMENT", m_chkImportComment->isChecked());
   add("IMPORT_DEFAULT_VALUE", m_chkImportDefaultValue->isChecked());
   add("RELATIONSHIP_DECORATION", m_cboDecoration->currentData(k_iRoleNumber).toInt());
   add("RELATIONSHIP_COLLECTION", m_cboCollection->currentData(k_iRoleNumber).toInt());
   add("BOOST_OPTIONAL_DECORATION_FOR_NULL_VALUE", m_chkBoostOptionalForNullValue->isChecked());
   add("LIST_TYPE_MAPPING_FROM_SQL_TO_CPP", QString::fromLatin1(vx::serialization::qt::to_byte_array(m_listOfTypeMapping).toBase64()));
   add("ORGANIZE_DIAGRAM_LAYOUT", m_chkOrganizeLayout->isChecked());
   add("WND_GEOMETRY", QString::fromLatin1(saveGeometry().toBase64()));
   add("WND_SPLITTER_MAIN", QString::fromLatin1(m_splitterMain->saveState().toBase64()));
   add("WND_SPLITTER_ITEMS", QString::fromLatin1(m_splitterItems->saveState().toBase64()));

   const vx::VxSqlQuery query = settingsQuery(sGuid);
   if (session.isValid()) { session += vx::dao::delete_by_query<model::plugin_params>(query, session.database()); }
   if (session.isValid()) { session += vx::dao::insert(lstParams, session.database()); }
   // committed through Qt: a commit that fails (the file locked or full) is the result too
   if (session.isValid() && ! session.database()->commit()) { session += session.database()->lastError(); }
   return session.firstError();
}

} // namespace view
