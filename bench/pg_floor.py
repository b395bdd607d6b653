#!/usr/bin/env python3
"""Writes the PostgreSQL reader's own query plan as one psql script: the floor of a PostgreSQL import.

    pg_floor.py SOURCE VERSION_NUM TABLES_TSV          (writes the script to stdout)
    pg_floor.py SOURCE VERSION_NUM --tables-query      (prints the tables query alone)

SOURCE is plugin/odbc_import_postgresql.cpp: the SQL texts are taken from it as they stand, and
chosen by server version with the reader's thresholds. TABLES_TSV holds the rows of the tables
query (table_name, table_type, table_comment, table_namespace; tab-separated, as psql -At -F TAB
prints them). The script is the tables query, then for each table row the primary-key, the
relationship and the columns query, in that order, with ":table_name" and ":table_namespace"
written in as quoted literals; all inside the reader's transaction (k_begin ... k_commit) when it has one.
"""
import re
import sys

LITERAL = r'"(?:[^"\\]|\\.)*"'
CONSTANT = re.compile(r'const\s+char\s*\*\s*const\s+(k_\w+)\s*=\s*((?:' + LITERAL + r'\s*)+);', re.S)


def sql_texts(source):
    texts = {}
    for match in CONSTANT.finditer(open(source, encoding="utf-8").read()):
        parts = re.findall(LITERAL, match.group(2))
        text = "".join(p[1:-1] for p in parts)
        texts[match.group(1)] = text.encode("latin-1", "backslashreplace").decode("unicode_escape")
    return texts


def choose(texts, version):
    """The texts the reader uses for this server version (same thresholds as the reader)."""
    def pick(*names):
        for name in names:
            if name in texts:
                return texts[name]
        raise SystemExit("pg_floor: none of %s in the source" % ", ".join(names))
    tables = pick("k_tables_v10") if version >= 100000 else pick("k_tables_v9")
    if version >= 110000:
        relations = pick("k_relations_v11")
    elif version >= 100000:
        relations = pick("k_relations_v10")
    else:
        relations = pick("k_relations_v9")
    columns = pick("k_columns_v12") if version >= 120000 else pick("k_columns_v11")
    primary_key = pick("k_primary_key_v11", "k_primary_key") if version >= 110000 else pick("k_primary_key")
    return tables, primary_key, relations, columns


def literal(value):
    return "'" + value.replace("'", "''") + "'"


PLACEHOLDER = re.compile(r":(table_name|table_namespace)\b")


def bind(sql, name, namespace):
    # one pass on whole names: ":table_name" is also the start of ":table_namespace"
    values = {"table_name": literal(name), "table_namespace": literal(namespace)}
    return PLACEHOLDER.sub(lambda m: values[m.group(1)], sql)


def main():
    if len(sys.argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    texts = sql_texts(sys.argv[1])
    tables, primary_key, relations, columns = choose(texts, int(sys.argv[2]))
    if sys.argv[3] == "--tables-query":
        print(tables)
        return 0
    out = sys.stdout
    # the reader reads in one transaction, when its source has one
    out.write(texts.get("k_begin", "") + "\n" + tables + "\n")
    seen = set()
    with open(sys.argv[3], encoding="utf-8") as rows:
        for line in rows:
            fields = line.rstrip("\n").split("\t")
            if len(fields) < 4:
                continue
            name, namespace = fields[0], fields[3]
            # the reader skips a table whose key it already holds ("public" is the empty namespace)
            key = ("" if namespace == "public" else namespace, name)
            if key in seen:
                continue
            seen.add(key)
            for sql in (primary_key, relations, columns):
                out.write(bind(sql, name, namespace) + "\n")
    out.write(texts.get("k_commit", "") + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
