-- Trigger functions and their triggers, row and statement level.
CREATE TABLE account(id int PRIMARY KEY, owner text NOT NULL, balance numeric(12,2) NOT NULL DEFAULT 0);
CREATE TABLE account_log(seq serial PRIMARY KEY, account_id int, action text,
                         old_balance numeric, new_balance numeric);

CREATE FUNCTION log_account() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  IF TG_OP = 'DELETE' THEN
    INSERT INTO account_log(account_id, action, old_balance) VALUES (OLD.id, TG_OP, OLD.balance);
    RETURN OLD;
  ELSIF TG_OP = 'UPDATE' THEN
    INSERT INTO account_log(account_id, action, old_balance, new_balance)
      VALUES (NEW.id, TG_OP, OLD.balance, NEW.balance);
  ELSE
    INSERT INTO account_log(account_id, action, new_balance) VALUES (NEW.id, TG_OP, NEW.balance);
  END IF;
  RETURN NEW;
END;
$$;

CREATE TRIGGER account_audit AFTER INSERT OR UPDATE OR DELETE ON account
  FOR EACH ROW EXECUTE FUNCTION log_account();

CREATE FUNCTION no_overdraft() RETURNS trigger AS $guard$
BEGIN
  IF NEW.balance < 0 THEN
    RAISE EXCEPTION 'account %: balance % below zero; refused', NEW.id, NEW.balance;
  END IF;
  NEW.owner := initcap(NEW.owner);
  RETURN NEW;
END
$guard$ LANGUAGE plpgsql;

CREATE TRIGGER account_guard BEFORE INSERT OR UPDATE ON account
  FOR EACH ROW WHEN (NEW.balance IS NOT NULL) EXECUTE FUNCTION no_overdraft();

INSERT INTO account VALUES (1, 'ann lee', 100), (2, 'bob ray', 20);
UPDATE account SET balance = balance - 50 WHERE id = 1;
-- meant to fail: the guard refuses it
UPDATE account SET balance = balance - 50 WHERE id = 2;
DELETE FROM account WHERE id = 2;
INSERT INTO account VALUES (3, 'cat o''hara', 0);

CREATE TABLE batch_note(note text);
CREATE FUNCTION count_rows() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  INSERT INTO batch_note SELECT TG_OP || ' of ' || count(*) || ' row(s); ' || TG_WHEN FROM changed;
  RETURN NULL;
END $$;
CREATE TRIGGER account_batch AFTER UPDATE ON account REFERENCING NEW TABLE AS changed
  FOR EACH STATEMENT EXECUTE FUNCTION count_rows();
UPDATE account SET balance = balance + 1;
ALTER TABLE account DISABLE TRIGGER account_audit;
UPDATE account SET balance = balance + 1 WHERE id = 1;
ALTER TABLE account ENABLE TRIGGER account_audit;
DROP TRIGGER account_batch ON account;
UPDATE account SET balance = balance * 2 WHERE id = 3;
-- meant to fail: no such trigger
DROP TRIGGER account_batch ON account;
CREATE OR REPLACE TRIGGER account_audit AFTER INSERT OR DELETE ON account
  FOR EACH ROW EXECUTE FUNCTION log_account();
UPDATE account SET balance = 7 WHERE id = 3;
