#!/usr/bin/env python3
"""Writes the SQL of the benchmark schema to stdout.

    make_schema.py ENGINE N        ENGINE: postgresql | mariadb | sqlite

N tables t00000 ... : each with a serial / auto-increment primary key, eight more columns with
defaults (quoted literals and expressions), comments on the table and every column (where the
engine has comments), and a foreign key to the previous table (the first table has none).
"""
import sys

# name, PostgreSQL type and default, MariaDB type and default, SQLite type and default
COLUMNS = [
    ("name",       "varchar(64) NOT NULL DEFAULT 'unnamed'", "VARCHAR(64) NOT NULL DEFAULT 'unnamed'", "VARCHAR(64) NOT NULL DEFAULT 'unnamed'"),
    ("amount",     "numeric(10,2) NOT NULL DEFAULT 0",       "DECIMAL(10,2) NOT NULL DEFAULT 0",       "NUMERIC(10,2) NOT NULL DEFAULT 0"),
    ("quantity",   "integer DEFAULT 1",                      "INT DEFAULT 1",                          "INTEGER DEFAULT 1"),
    ("active",     "boolean NOT NULL DEFAULT true",          "TINYINT(1) NOT NULL DEFAULT 1",          "BOOLEAN NOT NULL DEFAULT 1"),
    ("created_at", "timestamp NOT NULL DEFAULT now()",       "TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP", "TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP"),
    ("code",       "char(8) DEFAULT 'ABC'",                  "CHAR(8) DEFAULT 'ABC'",                  "CHAR(8) DEFAULT 'ABC'"),
    ("note",       "text DEFAULT ''",                        "VARCHAR(255) DEFAULT ''",                "TEXT DEFAULT ''"),
]


def table(i):
    return "t%05d" % i


# Tables created per PostgreSQL transaction: each takes a few locks until its transaction ends, and
# the server's lock table (max_locks_per_transaction x max_connections, 6,400 by default) would not
# hold those of 4,000 tables in one.
PG_BATCH = 500


def postgresql(n, out):
    out.write("SET client_min_messages = warning;\n")
    for i in range(n):
        if i % PG_BATCH == 0:
            out.write("%sBEGIN;\n" % ("COMMIT;\n" if i else ""))
        t = table(i)
        cols = ["id serial PRIMARY KEY"] + ["%s %s" % (c[0], c[1]) for c in COLUMNS]
        cols.append("prev_id integer" + (" REFERENCES %s (id)" % table(i - 1) if i > 0 else ""))
        out.write("CREATE TABLE %s (\n  %s\n);\n" % (t, ",\n  ".join(cols)))
        out.write("COMMENT ON TABLE %s IS 'Benchmark table %d';\n" % (t, i))
        for c in ["id"] + [c[0] for c in COLUMNS] + ["prev_id"]:
            out.write("COMMENT ON COLUMN %s.%s IS 'Column %s of table %d';\n" % (t, c, c, i))
    out.write("COMMIT;\n")


def mariadb(n, out):
    out.write("SET foreign_key_checks = 0;\n")
    for i in range(n):
        t = table(i)
        cols = ["id INT NOT NULL AUTO_INCREMENT PRIMARY KEY COMMENT 'Column id of table %d'" % i]
        cols += ["%s %s COMMENT 'Column %s of table %d'" % (c[0], c[2], c[0], i) for c in COLUMNS]
        cols.append("prev_id INT NULL COMMENT 'Column prev_id of table %d'" % i)
        if i > 0:
            cols.append("CONSTRAINT fk_%s_prev FOREIGN KEY (prev_id) REFERENCES %s (id)" % (t, table(i - 1)))
        out.write("CREATE TABLE %s (\n  %s\n) ENGINE=InnoDB COMMENT='Benchmark table %d';\n" % (t, ",\n  ".join(cols), i))
    out.write("SET foreign_key_checks = 1;\n")


def sqlite(n, out):
    out.write("BEGIN;\n")
    for i in range(n):
        t = table(i)
        cols = ["id INTEGER PRIMARY KEY AUTOINCREMENT"] + ["%s %s" % (c[0], c[3]) for c in COLUMNS]
        cols.append("prev_id INTEGER" + (" REFERENCES %s (id)" % table(i - 1) if i > 0 else ""))
        out.write("CREATE TABLE %s (\n  %s\n);\n" % (t, ",\n  ".join(cols)))
    out.write("COMMIT;\n")


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("postgresql", "mariadb", "sqlite"):
        sys.stderr.write("usage: make_schema.py postgresql|mariadb|sqlite N\n")
        return 2
    {"postgresql": postgresql, "mariadb": mariadb, "sqlite": sqlite}[sys.argv[1]](int(sys.argv[2]), sys.stdout)
    return 0


if __name__ == "__main__":
    sys.exit(main())
