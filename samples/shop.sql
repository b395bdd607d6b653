-- A small shop: the sample database that the main job imports.
PRAGMA foreign_keys = ON;

CREATE TABLE country (
   country_code CHAR(2) NOT NULL PRIMARY KEY,
   name VARCHAR(60) NOT NULL
);

CREATE TABLE customer (
   customer_id INTEGER PRIMARY KEY AUTOINCREMENT,
   first_name VARCHAR(45) NOT NULL,
   last_name VARCHAR(45) NOT NULL,
   email VARCHAR(120),
   country_code CHAR(2) NOT NULL DEFAULT 'FR' REFERENCES country (country_code),
   active BOOLEAN NOT NULL DEFAULT 1,
   created_at DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP
);

CREATE TABLE address (
   customer_id INTEGER NOT NULL REFERENCES customer (customer_id),
   address_no SMALLINT NOT NULL,
   street VARCHAR(120) NOT NULL,
   city VARCHAR(60) NOT NULL,
   postal_code VARCHAR(10),
   PRIMARY KEY (customer_id, address_no)
);

CREATE TABLE category (
   category_id INTEGER PRIMARY KEY,
   parent_id INTEGER REFERENCES category (category_id),
   name VARCHAR(60) NOT NULL
);

CREATE TABLE supplier (
   supplier_id INTEGER PRIMARY KEY,
   name VARCHAR(80) NOT NULL,
   country_code CHAR(2) REFERENCES country (country_code)
);

CREATE TABLE product (
   product_id INTEGER PRIMARY KEY,
   category_id INTEGER NOT NULL REFERENCES category (category_id),
   supplier_id INTEGER REFERENCES supplier (supplier_id),
   name VARCHAR(120) NOT NULL,
   price NUMERIC(10,2) NOT NULL DEFAULT 0,
   weight_kg REAL,
   picture BLOB
);

CREATE TABLE orders (
   order_id INTEGER PRIMARY KEY,
   customer_id INTEGER NOT NULL,
   address_no SMALLINT NOT NULL,
   ordered_on DATE NOT NULL DEFAULT (date('now')),
   status VARCHAR(12) NOT NULL DEFAULT 'new',
   -- delivered to one of the customer's addresses: a two-column foreign key
   FOREIGN KEY (customer_id, address_no) REFERENCES address (customer_id, address_no)
);

CREATE TABLE order_line (
   order_id INTEGER NOT NULL REFERENCES orders (order_id),
   line_no INTEGER NOT NULL,
   product_id INTEGER NOT NULL REFERENCES product (product_id),
   quantity INTEGER NOT NULL DEFAULT 1,
   unit_price NUMERIC(10,2) NOT NULL,
   PRIMARY KEY (order_id, line_no)
);

CREATE TABLE payment (
   payment_id INTEGER PRIMARY KEY,
   order_id INTEGER NOT NULL REFERENCES orders (order_id),
   amount NUMERIC(10,2) NOT NULL,
   paid_at TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
   method VARCHAR(20) NOT NULL DEFAULT 'card'
);

CREATE TABLE review (
   product_id INTEGER NOT NULL REFERENCES product (product_id),
   customer_id INTEGER NOT NULL REFERENCES customer (customer_id),
   rating TINYINT NOT NULL,
   comment TEXT,
   PRIMARY KEY (product_id, customer_id)
);

CREATE VIEW order_total AS
   SELECT o.order_id, o.customer_id, SUM(l.quantity * l.unit_price) AS total
   FROM orders o JOIN order_line l ON l.order_id = o.order_id
   GROUP BY o.order_id, o.customer_id;
