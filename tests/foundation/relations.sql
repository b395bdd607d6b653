CREATE TABLE parent (id INT PRIMARY KEY, list_of_child INT);
CREATE TABLE child (id INT PRIMARY KEY, mother_id INT, father_id INT, manager_id INT,
  CONSTRAINT fk_mother FOREIGN KEY (mother_id) REFERENCES parent (id),
  CONSTRAINT fk_father FOREIGN KEY (father_id) REFERENCES parent (id),
  CONSTRAINT fk_manager FOREIGN KEY (manager_id) REFERENCES child (id));
CREATE TABLE comp_pk (a INT NOT NULL, b INT NOT NULL, PRIMARY KEY (a, b));
CREATE TABLE comp_fk (id INT PRIMARY KEY, a INT, b INT, CONSTRAINT fk_comp FOREIGN KEY (a, b) REFERENCES comp_pk (a, b));
CREATE TABLE cyc_a (id INT PRIMARY KEY, b_id INT);
CREATE TABLE cyc_b (id INT PRIMARY KEY, a_id INT, CONSTRAINT fk_b_a FOREIGN KEY (a_id) REFERENCES cyc_a (id));
ALTER TABLE cyc_a ADD CONSTRAINT fk_a_b FOREIGN KEY (b_id) REFERENCES cyc_b (id);
