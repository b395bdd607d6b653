-- Oracle's dictionary, served by a PostgreSQL database: its rows in schema emul (oracle_shop.sql)
-- and the ALL_* views over them. One statement a line.
CREATE SCHEMA emul;
CREATE SCHEMA sys;
CREATE TABLE emul.all_tables (owner text, table_name text, tablespace_name text, iot_type text, nested text, secondary text, dropped text DEFAULT 'NO');
CREATE TABLE emul.all_views (owner text, view_name text);
CREATE TABLE emul.all_tab_cols (owner text, table_name text, column_name text, data_type text, nullable text, column_id int, data_default text, virtual_column text, user_generated text);
CREATE TABLE emul.all_constraints (owner text, constraint_name text, constraint_type text, table_name text, r_owner text, r_constraint_name text);
CREATE TABLE emul.all_cons_columns (owner text, constraint_name text, table_name text, column_name text, position int);
CREATE VIEW sys.all_tables AS SELECT * FROM emul.all_tables;
CREATE VIEW sys.all_views AS SELECT * FROM emul.all_views;
CREATE VIEW sys.product_component_version AS SELECT * FROM (VALUES ('Oracle Database 19c Enterprise Edition', '19.0.0.0.0'), ('NLSRTL', '19.0.0.0.0')) AS v(product, version);
CREATE VIEW sys.all_tab_cols AS SELECT * FROM emul.all_tab_cols;
CREATE VIEW sys.all_tab_columns AS SELECT owner, table_name, column_name, data_type, nullable, column_id, data_default FROM emul.all_tab_cols WHERE user_generated = 'YES';
CREATE VIEW sys.all_constraints AS SELECT * FROM emul.all_constraints;
CREATE VIEW sys.all_cons_columns AS SELECT * FROM emul.all_cons_columns;
