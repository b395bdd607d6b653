-- What SQL Server keeps in its catalogue of this script (schema dbo): types without length, defaults
-- reprinted, PK__ names, columns stored out of their order; with the diagrams table of the management tools.
-- CREATE TABLE customer (id INT NOT NULL IDENTITY, name NVARCHAR(40) NOT NULL, since DATETIME2 NOT NULL, credit MONEY NULL,
--   CONSTRAINT [PK customer.id [1]]] PRIMARY KEY NONCLUSTERED (id))
-- GO
-- ALTER TABLE customer ADD CONSTRAINT DF_customer_since DEFAULT (sysdatetime()) FOR since
-- GO
-- CREATE TABLE item (shop_id INT NOT NULL, code NVARCHAR(10) NOT NULL, price MONEY, CONSTRAINT [pk.item] PRIMARY KEY (shop_id, code))
-- GO
-- CREATE TABLE sales.shop (id INT NOT NULL PRIMARY KEY, region VARCHAR(20))
-- GO
-- CREATE TABLE line (line_no BIGINT, shop_id INT NOT NULL, code NVARCHAR(10), customer_id INT, qty SMALLINT,
--   CONSTRAINT fk_line_item FOREIGN KEY (shop_id, code) REFERENCES item (shop_id, code),
--   CONSTRAINT fk_line_shop FOREIGN KEY (shop_id) REFERENCES sales.shop (id),
--   CONSTRAINT fk_line_customer FOREIGN KEY (customer_id) REFERENCES customer (id))
-- GO
-- CREATE TABLE sales.customer (cust_no INT NOT NULL, home_id INT, CONSTRAINT [PK customer.id [1]]] PRIMARY KEY (cust_no),
--   CONSTRAINT fk_sales_home FOREIGN KEY (home_id) REFERENCES dbo.customer (id))
-- GO
-- CREATE VIEW v_line AS SELECT line.shop_id, line.qty FROM line
-- GO
-- CREATE TABLE sysdiagrams (name NVARCHAR(128) NOT NULL, principal_id INT NOT NULL, diagram_id INT NOT NULL IDENTITY PRIMARY KEY, definition VARBINARY(8000))
-- GO
INSERT INTO emul.schemas VALUES ('dbo', 1, 1);
INSERT INTO emul.schemas VALUES ('sales', 2, 1);
INSERT INTO emul.objects VALUES ('customer', 1000, NULL, 1, 0, 'U', 'USER_TABLE', false);
INSERT INTO emul.columns VALUES (1000, 'id', 1, 'int', false, false, NULL);
INSERT INTO emul.columns VALUES (1000, 'since', 3, 'datetime2', false, false, '(sysdatetime())');
INSERT INTO emul.columns VALUES (1000, 'name', 2, 'nvarchar', false, false, NULL);
INSERT INTO emul.columns VALUES (1000, 'credit', 4, 'money', true, false, NULL);
INSERT INTO emul.objects VALUES ('PK customer.id [1]', 1001, NULL, 1, 1000, 'PK', 'PRIMARY_KEY_CONSTRAINT', false);
INSERT INTO emul.key_columns VALUES (1001, 1000, 1, 1);
INSERT INTO emul.objects VALUES ('item', 1100, NULL, 1, 0, 'U', 'USER_TABLE', false);
INSERT INTO emul.columns VALUES (1100, 'shop_id', 1, 'int', false, false, NULL);
INSERT INTO emul.columns VALUES (1100, 'price', 3, 'money', true, false, NULL);
INSERT INTO emul.columns VALUES (1100, 'code', 2, 'nvarchar', false, false, NULL);
INSERT INTO emul.objects VALUES ('pk.item', 1101, NULL, 1, 1100, 'PK', 'PRIMARY_KEY_CONSTRAINT', false);
INSERT INTO emul.key_columns VALUES (1101, 1100, 1, 1);
INSERT INTO emul.key_columns VALUES (1101, 1100, 2, 2);
INSERT INTO emul.objects VALUES ('shop', 1200, NULL, 2, 0, 'U', 'USER_TABLE', false);
INSERT INTO emul.columns VALUES (1200, 'id', 1, 'int', false, false, NULL);
INSERT INTO emul.columns VALUES (1200, 'region', 2, 'varchar', true, false, NULL);
INSERT INTO emul.objects VALUES ('PK__shop__00000000000004b0', 1201, NULL, 2, 1200, 'PK', 'PRIMARY_KEY_CONSTRAINT', false);
INSERT INTO emul.key_columns VALUES (1201, 1200, 1, 1);
INSERT INTO emul.objects VALUES ('line', 1300, NULL, 1, 0, 'U', 'USER_TABLE', false);
INSERT INTO emul.columns VALUES (1300, 'line_no', 1, 'bigint', true, false, NULL);
INSERT INTO emul.columns VALUES (1300, 'code', 3, 'nvarchar', true, false, NULL);
INSERT INTO emul.columns VALUES (1300, 'qty', 5, 'smallint', true, false, NULL);
INSERT INTO emul.columns VALUES (1300, 'shop_id', 2, 'int', false, false, NULL);
INSERT INTO emul.columns VALUES (1300, 'customer_id', 4, 'int', true, false, NULL);
INSERT INTO emul.objects VALUES ('fk_line_item', 1310, NULL, 1, 1300, 'F', 'FOREIGN_KEY_CONSTRAINT', false);
INSERT INTO emul.foreign_keys VALUES ('fk_line_item', 1310, 1, 1300, 1100, 'F');
INSERT INTO emul.foreign_key_columns VALUES (1310, 1, 1300, 2, 1100, 1);
INSERT INTO emul.foreign_key_columns VALUES (1310, 2, 1300, 3, 1100, 2);
INSERT INTO emul.objects VALUES ('fk_line_shop', 1311, NULL, 1, 1300, 'F', 'FOREIGN_KEY_CONSTRAINT', false);
INSERT INTO emul.foreign_keys VALUES ('fk_line_shop', 1311, 1, 1300, 1200, 'F');
INSERT INTO emul.foreign_key_columns VALUES (1311, 1, 1300, 2, 1200, 1);
INSERT INTO emul.objects VALUES ('fk_line_customer', 1312, NULL, 1, 1300, 'F', 'FOREIGN_KEY_CONSTRAINT', false);
INSERT INTO emul.foreign_keys VALUES ('fk_line_customer', 1312, 1, 1300, 1000, 'F');
INSERT INTO emul.foreign_key_columns VALUES (1312, 1, 1300, 4, 1000, 1);
INSERT INTO emul.objects VALUES ('customer', 1400, NULL, 2, 0, 'U', 'USER_TABLE', false);
INSERT INTO emul.columns VALUES (1400, 'cust_no', 1, 'int', false, false, NULL);
INSERT INTO emul.columns VALUES (1400, 'home_id', 2, 'int', true, false, NULL);
INSERT INTO emul.objects VALUES ('PK customer.id [1]', 1401, NULL, 2, 1400, 'PK', 'PRIMARY_KEY_CONSTRAINT', false);
INSERT INTO emul.key_columns VALUES (1401, 1400, 1, 1);
INSERT INTO emul.objects VALUES ('fk_sales_home', 1410, NULL, 2, 1400, 'F', 'FOREIGN_KEY_CONSTRAINT', false);
INSERT INTO emul.foreign_keys VALUES ('fk_sales_home', 1410, 2, 1400, 1000, 'F');
INSERT INTO emul.foreign_key_columns VALUES (1410, 1, 1400, 2, 1000, 1);
INSERT INTO emul.objects VALUES ('v_line', 1500, NULL, 1, 0, 'V', 'VIEW', false);
INSERT INTO emul.columns VALUES (1500, 'shop_id', 1, 'varchar', true, false, NULL);
INSERT INTO emul.columns VALUES (1500, 'qty', 2, 'varchar', true, false, NULL);
INSERT INTO emul.objects VALUES ('sysdiagrams', 1600, NULL, 1, 0, 'U', 'USER_TABLE', false);
INSERT INTO emul.columns VALUES (1600, 'name', 1, 'nvarchar', false, false, NULL);
INSERT INTO emul.columns VALUES (1600, 'diagram_id', 3, 'int', false, false, NULL);
INSERT INTO emul.columns VALUES (1600, 'principal_id', 2, 'int', false, false, NULL);
INSERT INTO emul.columns VALUES (1600, 'definition', 4, 'varbinary', true, false, NULL);
INSERT INTO emul.objects VALUES ('PK__sysdiagr__0000000000000640', 1601, NULL, 1, 1600, 'PK', 'PRIMARY_KEY_CONSTRAINT', false);
INSERT INTO emul.key_columns VALUES (1601, 1600, 3, 1);
