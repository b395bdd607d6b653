#ifndef KEL_TESTS_CATALOGUE_EMULATION_H
#define KEL_TESTS_CATALOGUE_EMULATION_H

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

// The catalogues of SQL Server and Oracle, served by the PostgreSQL test server so that the readers'
// own SQL runs on them unchanged, through QODBC and psqlODBC as a production import runs. The rows
// the server would keep of a schema, the views and functions that answer as its catalogue does, are
// data: tests/readers/<engine>_catalogue.sql and <engine>_<schema>.sql, one statement a line.
namespace kel_emulation {

/** The statements that make a PostgreSQL database answer as the catalogue of engine ("mssqlserver", "oracle") for schema ("shop"). */
inline QStringList catalogue(const QString& sEngine, const QString& sSchema)
{
   QStringList lst;
   for (const QString& sFile : { sEngine + "_catalogue", sEngine + "_" + sSchema })
   {
      QFile file(QString(KEL_SOURCE_DIR) + "/tests/readers/" + sFile + ".sql");
      if (! file.open(QIODevice::ReadOnly)) { return { "SELECT 'missing " + sFile + ".sql'::int" }; }
      lst += QString::fromUtf8(file.readAll()).remove(QRegularExpression("^--[^\n]*\n", QRegularExpression::MultilineOption)).split(";\n", Qt::SkipEmptyParts);
   }
   return lst;
}

} // namespace kel_emulation

#endif // KEL_TESTS_CATALOGUE_EMULATION_H
