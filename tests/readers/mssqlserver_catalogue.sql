-- SQL Server's catalogue, served by a PostgreSQL database: its rows in schema emul (mssqlserver_shop.sql),
-- sys.* and INFORMATION_SCHEMA views over them as SQL Server defines them, and
-- OBJECT_ID (1 to 3 parts, bracketed, quoted or bare), OBJECTPROPERTY, QUOTENAME and "+" on texts.
-- PostgreSQL's own information_schema goes. One statement a line.
CREATE SCHEMA emul;
DROP SCHEMA IF EXISTS information_schema CASCADE;
CREATE SCHEMA information_schema;
CREATE SCHEMA sys;
CREATE TABLE emul.schemas (name text, schema_id int, principal_id int);
CREATE TABLE emul.objects (name text, object_id int, principal_id int, schema_id int, parent_object_id int, type text, type_desc text, is_ms_shipped boolean);
CREATE TABLE emul.columns (object_id int, name text, column_id int, type_name text, is_nullable boolean, is_identity boolean, default_definition text);
CREATE TABLE emul.key_columns (constraint_object_id int, parent_object_id int, column_id int, key_ordinal int);
CREATE TABLE emul.foreign_keys (name text, object_id int, schema_id int, parent_object_id int, referenced_object_id int, type text);
CREATE TABLE emul.foreign_key_columns (constraint_object_id int, constraint_column_id int, parent_object_id int, parent_column_id int, referenced_object_id int, referenced_column_id int);
CREATE VIEW sys.schemas AS SELECT * FROM emul.schemas;
CREATE VIEW sys.objects AS SELECT * FROM emul.objects;
CREATE VIEW sys.tables AS SELECT * FROM emul.objects WHERE type = 'U';
CREATE VIEW sys.views AS SELECT * FROM emul.objects WHERE type = 'V';
CREATE VIEW sys.columns AS SELECT object_id, name, column_id, is_nullable, is_identity FROM emul.columns;
CREATE VIEW sys.foreign_keys AS SELECT * FROM emul.foreign_keys;
CREATE VIEW sys.foreign_key_columns AS SELECT * FROM emul.foreign_key_columns;
CREATE VIEW information_schema.tables AS SELECT current_database()::text AS table_catalog, s.name AS table_schema, o.name AS table_name, CASE o.type WHEN 'U' THEN 'BASE TABLE' ELSE 'VIEW' END AS table_type FROM emul.objects o JOIN emul.schemas s ON s.schema_id = o.schema_id WHERE o.type IN ('U', 'V') AND NOT o.is_ms_shipped;
CREATE VIEW information_schema.columns AS SELECT current_database()::text AS table_catalog, s.name AS table_schema, o.name AS table_name, c.name AS column_name, c.column_id AS ordinal_position, c.default_definition AS column_default, CASE WHEN c.is_nullable THEN 'YES' ELSE 'NO' END AS is_nullable, c.type_name AS data_type FROM emul.columns c JOIN emul.objects o ON o.object_id = c.object_id JOIN emul.schemas s ON s.schema_id = o.schema_id;
CREATE VIEW information_schema.key_column_usage AS SELECT current_database()::text AS constraint_catalog, ks.name AS constraint_schema, k.name AS constraint_name, current_database()::text AS table_catalog, ts.name AS table_schema, t.name AS table_name, c.name AS column_name, u.ordinal AS ordinal_position FROM (SELECT constraint_object_id, parent_object_id, column_id, key_ordinal AS ordinal FROM emul.key_columns UNION ALL SELECT constraint_object_id, parent_object_id, parent_column_id, constraint_column_id FROM emul.foreign_key_columns) u JOIN emul.objects k ON k.object_id = u.constraint_object_id JOIN emul.schemas ks ON ks.schema_id = k.schema_id JOIN emul.objects t ON t.object_id = u.parent_object_id JOIN emul.schemas ts ON ts.schema_id = t.schema_id JOIN emul.columns c ON c.object_id = u.parent_object_id AND c.column_id = u.column_id;
CREATE FUNCTION quotename(s text) RETURNS text LANGUAGE sql IMMUTABLE AS $$ SELECT CASE WHEN length(s) > 128 THEN NULL ELSE '[' || replace(s, ']', ']]') || ']' END $$;
CREATE FUNCTION object_id(p_name text) RETURNS int LANGUAGE plpgsql STABLE AS $$ DECLARE parts text[] := '{}'; part text; c text; closer text; i int := 1; n int := length(p_name); k int; sch text; result int; BEGIN IF p_name IS NULL OR n = 0 THEN RETURN NULL; END IF; LOOP c := substr(p_name, i, 1); IF c = '[' OR c = '"' THEN closer := CASE c WHEN '[' THEN ']' ELSE '"' END; part := ''; i := i + 1; LOOP IF i > n THEN RETURN NULL; END IF; c := substr(p_name, i, 1); IF c = closer AND substr(p_name, i + 1, 1) = closer THEN part := part || c; i := i + 2; ELSIF c = closer THEN i := i + 1; EXIT; ELSE part := part || c; i := i + 1; END IF; END LOOP; ELSE part := substring(substr(p_name, i) from '^[^.]*'); i := i + length(part); IF part <> '' AND part !~ '^[A-Za-z_@#][A-Za-z0-9_@#$]*$' THEN RETURN NULL; END IF; END IF; parts := parts || part; EXIT WHEN i > n; IF substr(p_name, i, 1) <> '.' THEN RETURN NULL; END IF; i := i + 1; END LOOP; k := array_length(parts, 1); IF k > 3 OR parts[k] = '' THEN RETURN NULL; END IF; IF k = 3 AND parts[1] <> '' AND parts[1] <> current_database() THEN RETURN NULL; END IF; sch := CASE WHEN k >= 2 AND parts[k - 1] <> '' THEN parts[k - 1] ELSE 'dbo' END; SELECT o.object_id INTO result FROM emul.objects o JOIN emul.schemas s ON s.schema_id = o.schema_id WHERE s.name = sch AND o.name = parts[k]; RETURN result; END $$;
CREATE FUNCTION objectproperty(id int, property text) RETURNS int LANGUAGE sql STABLE AS $$ SELECT CASE property WHEN 'IsPrimaryKey' THEN (type = 'PK')::int WHEN 'IsForeignKey' THEN (type = 'F')::int WHEN 'IsUserTable' THEN (type = 'U')::int WHEN 'IsView' THEN (type = 'V')::int END FROM emul.objects WHERE object_id = id $$;
CREATE OPERATOR + (LEFTARG = text, RIGHTARG = text, FUNCTION = textcat);
