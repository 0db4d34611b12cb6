-- The sample database: departments, their employees and projects.
-- Created by scripts/create-sample with the sqlite3 shell; types are declared so that
-- the program describes each column with its proper type code, and each column carries
-- the constraints the embedded engine gives a table it creates (named PAVONA_<SQLSTATE>_
-- <column>), so a value the column cannot hold is refused with a server's SQLSTATE.

PRAGMA foreign_keys = ON;
BEGIN;

CREATE TABLE DEPARTMENT (
    DEPT_ID     CHAR(3) NOT NULL PRIMARY KEY
        CONSTRAINT PAVONA_22001_DEPT_ID CHECK (length(DEPT_ID) <= 3),
    DEPT_NAME   VARCHAR(30) NOT NULL
        CONSTRAINT PAVONA_22001_DEPT_NAME CHECK (length(DEPT_NAME) <= 30),
    LOCATION    VARCHAR(20)
        CONSTRAINT PAVONA_22001_LOCATION CHECK (length(LOCATION) <= 20),
    BUDGET      DECIMAL(11,2)
        CONSTRAINT PAVONA_22018_BUDGET CHECK (typeof(BUDGET) NOT IN ('text', 'blob'))
        CONSTRAINT PAVONA_22003_BUDGET CHECK (typeof(BUDGET) NOT IN ('integer', 'real') OR abs(BUDGET) < 1e9),
    HEAD_ID     INTEGER
        CONSTRAINT PAVONA_22018_HEAD_ID CHECK (typeof(HEAD_ID) NOT IN ('text', 'blob'))
        CONSTRAINT PAVONA_22003_HEAD_ID CHECK (typeof(HEAD_ID) NOT IN ('integer', 'real') OR HEAD_ID BETWEEN -2147483648 AND 2147483647)
);

INSERT INTO DEPARTMENT VALUES ('A01', 'Executive Office', 'Lisbon', 1250000.00, NULL);
INSERT INTO DEPARTMENT VALUES ('B02', 'Research Lab', 'Porto', 2400000.00, NULL);
INSERT INTO DEPARTMENT VALUES ('C03', 'Field Operations', 'Faro', 980000.50, NULL);
INSERT INTO DEPARTMENT VALUES ('D04', 'Software Services', 'Lisbon', 1760000.00, NULL);
INSERT INTO DEPARTMENT VALUES ('E05', 'Customer Care', 'Braga', 640000.75, NULL);

CREATE TABLE EMPLOYEE (
    EMP_ID      INTEGER NOT NULL PRIMARY KEY
        CONSTRAINT PAVONA_22018_EMP_ID CHECK (typeof(EMP_ID) NOT IN ('text', 'blob'))
        CONSTRAINT PAVONA_22003_EMP_ID CHECK (typeof(EMP_ID) NOT IN ('integer', 'real') OR EMP_ID BETWEEN -2147483648 AND 2147483647),
    FIRST_NAME  VARCHAR(20) NOT NULL
        CONSTRAINT PAVONA_22001_FIRST_NAME CHECK (length(FIRST_NAME) <= 20),
    LAST_NAME   VARCHAR(24) NOT NULL
        CONSTRAINT PAVONA_22001_LAST_NAME CHECK (length(LAST_NAME) <= 24),
    INITIAL     CHAR(1)
        CONSTRAINT PAVONA_22001_INITIAL CHECK (length(INITIAL) <= 1),
    DEPT_ID     CHAR(3) REFERENCES DEPARTMENT (DEPT_ID)
        CONSTRAINT PAVONA_22001_DEPT_ID CHECK (length(DEPT_ID) <= 3),
    JOB_TITLE   VARCHAR(30)
        CONSTRAINT PAVONA_22001_JOB_TITLE CHECK (length(JOB_TITLE) <= 30),
    GRADE       SMALLINT
        CONSTRAINT PAVONA_22018_GRADE CHECK (typeof(GRADE) NOT IN ('text', 'blob'))
        CONSTRAINT PAVONA_22003_GRADE CHECK (typeof(GRADE) NOT IN ('integer', 'real') OR GRADE BETWEEN -32768 AND 32767),
    HIRE_DATE   DATE
        CONSTRAINT PAVONA_22007_HIRE_DATE CHECK (HIRE_DATE IS NULL OR (HIRE_DATE GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]' AND date(HIRE_DATE, '+0 days') IS HIRE_DATE)),
    SHIFT_START TIME
        CONSTRAINT PAVONA_22007_SHIFT_START CHECK (SHIFT_START IS NULL OR (SHIFT_START GLOB '[0-9][0-9]:[0-9][0-9]*' AND time(SHIFT_START) IS NOT NULL)),
    SALARY      DECIMAL(9,2)
        CONSTRAINT PAVONA_22018_SALARY CHECK (typeof(SALARY) NOT IN ('text', 'blob'))
        CONSTRAINT PAVONA_22003_SALARY CHECK (typeof(SALARY) NOT IN ('integer', 'real') OR abs(SALARY) < 1e7),
    BONUS       DECIMAL(9,2)
        CONSTRAINT PAVONA_22018_BONUS CHECK (typeof(BONUS) NOT IN ('text', 'blob'))
        CONSTRAINT PAVONA_22003_BONUS CHECK (typeof(BONUS) NOT IN ('integer', 'real') OR abs(BONUS) < 1e7),
    BADGE_NO    BIGINT
        CONSTRAINT PAVONA_22018_BADGE_NO CHECK (typeof(BADGE_NO) NOT IN ('text', 'blob')),
    RATING      DOUBLE
        CONSTRAINT PAVONA_22018_RATING CHECK (typeof(RATING) NOT IN ('text', 'blob')),
    LAST_LOGIN  TIMESTAMP
        CONSTRAINT PAVONA_22007_LAST_LOGIN CHECK (LAST_LOGIN IS NULL OR (LAST_LOGIN GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*' AND date(LAST_LOGIN, '+0 days') IS substr(LAST_LOGIN, 1, 10))),
    PROFILE     XML,
    PHOTO       BLOB(1048576)
);

INSERT INTO EMPLOYEE VALUES (1001, 'Amara', 'Abend', 'A', 'A01', 'Director', 3, '2008-01-01', '06:00:00', 50300.00, 2515.00, 7700037037, 2.5, '2026-01-01 07:00:00.000000', '<?xml version="1.0" encoding="UTF-8"?><profile id="1001"><skills><skill level="1">SQL</skill></skills><languages>en</languages></profile>', X'89504E470D0A1A0A0000000D49484452000000010000000108060000001F15C4890000000D4944415478DA63F8CFC0F01F0005000201A5F6E2DD0000000049454E44AE426082');
INSERT INTO EMPLOYEE VALUES (1002, 'Bastian', 'Brink', 'B', 'B02', 'Lab Technician', 10, '2011-06-12', '07:15:00', 79137.50, 3956.88, 7700037074, 3.8, '2026-02-04 08:07:13.104729', '<profile id="1002"><skills><skill level="2">Python</skill><skill level="3">Negotiation</skill></skills><languages>pt</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1003, 'Celia', 'Corvo', 'C', 'C03', 'Field Engineer', 8, '2014-11-23', '08:30:00', 71074.00, 3553.70, 7700037111, 2.6, '2026-03-07 09:14:26.209458', '<?xml version="1.0" encoding="UTF-8"?><profile id="1003"><skills><skill level="3">C++</skill><skill level="4">Planning</skill><skill level="5">SQL</skill></skills><languages>de</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1004, 'Dorian', 'Dalberg', NULL, 'D04', 'Developer', 6, '2017-04-06', '09:45:00', 63011.50, 3150.58, 7700037148, 3.9, '2026-04-10 10:21:39.314187', '<profile id="1004"><skills><skill level="4">Statistics</skill></skills><languages>fr</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1005, 'Elif', 'Eschen', 'E', 'E05', 'Agent', 4, '2020-09-17', '10:00:00', 54948.00, 2747.40, 7700037185, 2.7, '2026-05-13 11:28:52.418916', '<?xml version="1.0" encoding="UTF-8"?><profile id="1005"><skills><skill level="5">Negotiation</skill><skill level="1">Support</skill></skills><languages>en</languages></profile>', X'89504E470D0A1A0A0000000D49484452000000010000000108060000001F15C4890000000D4944415478DA63F8CFC0F01F0005000201A5F6E2DD0000000049454E44AE426082');
INSERT INTO EMPLOYEE VALUES (1006, 'Fabian', 'Falk', 'F', 'A01', 'Assistant', 11, '2023-02-28', '06:15:00', 83785.50, NULL, 7700037222, 4.0, '2026-06-16 12:35:05.523645', '<profile id="1006"><skills><skill level="1">Planning</skill><skill level="2">SQL</skill><skill level="3">Statistics</skill></skills><languages>pt</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1007, 'Greta', 'Gramm', 'G', 'B02', 'Scientist', 9, '2010-07-11', '07:30:00', 75722.00, 3786.10, 7700037259, 2.8, '2026-07-19 13:42:18.628374', '<?xml version="1.0" encoding="UTF-8"?><profile id="1007"><skills><skill level="2">Design</skill></skills><languages>de</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1008, 'Hugo', 'Hollow', 'H', 'C03', 'Planner', 7, '2013-12-22', '08:45:00', 66759.50, 3337.98, 7700037296, 4.1, '2026-08-22 14:49:31.733103', '<profile id="1008"><skills><skill level="3">Support</skill><skill level="4">C++</skill></skills><languages>fr</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1009, 'Ines', 'Ilsen', 'J', 'D04', 'Architect', 5, '2016-05-05', '09:00:00', 58696.00, 2934.80, 7700037333, 2.9, '2026-09-25 15:56:44.837832', '<?xml version="1.0" encoding="UTF-8"?><profile id="1009"><skills><skill level="4">SQL</skill><skill level="5">Statistics</skill><skill level="1">Design</skill></skills><languages>en</languages></profile>', X'89504E470D0A1A0A0000000D49484452000000010000000108060000001F15C4890000000D4944415478DA63F8CFC0F01F0005000201A5F6E2DD0000000049454E44AE426082');
INSERT INTO EMPLOYEE VALUES (1010, 'Jonas', 'Jarek', 'K', 'E05', 'Team Lead', 3, '2019-10-16', '10:15:00', 50633.50, 2531.68, 7700037370, 4.2, '2026-10-01 16:03:57.942561', '<profile id="1010"><skills><skill level="5">Python</skill></skills><languages>pt</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1011, 'Kira', 'Kessel', NULL, 'A01', 'Director', 10, '2022-03-27', '06:30:00', 79470.00, 3973.50, 7700037407, 3.0, '2026-11-04 17:10:10.047290', '<?xml version="1.0" encoding="UTF-8"?><profile id="1011"><skills><skill level="1">C++</skill><skill level="2">Planning</skill></skills><languages>de</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1012, 'Lorenz', 'Lindqvist', 'M', 'B02', 'Analyst', 8, '2009-08-10', '07:45:00', 71407.50, NULL, 7700037444, 4.3, '2026-01-07 18:17:23.152019', '<profile id="1012"><skills><skill level="2">Statistics</skill><skill level="3">Design</skill><skill level="4">Python</skill></skills><languages>fr</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1013, 'Mila', 'Morrow', 'N', 'C03', 'Field Engineer', 6, '2012-01-21', '08:00:00', 63344.00, 3167.20, 7700037481, 3.1, '2026-02-10 07:24:36.256748', '<?xml version="1.0" encoding="UTF-8"?><profile id="1013"><skills><skill level="3">Negotiation</skill></skills><languages>en</languages></profile>', X'89504E470D0A1A0A0000000D49484452000000010000000108060000001F15C4890000000D4944415478DA63F8CFC0F01F0005000201A5F6E2DD0000000049454E44AE426082');
INSERT INTO EMPLOYEE VALUES (1014, 'Nils', 'Norrby', 'P', 'D04', 'Designer', 4, '2015-06-04', '09:15:00', 55281.50, 2764.08, 7700037518, 4.4, '2026-03-13 08:31:49.361477', '<profile id="1014"><skills><skill level="4">Planning</skill><skill level="5">SQL</skill></skills><languages>pt</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1015, 'Olga', 'Oster', 'R', 'E05', 'Agent', 11, '2018-11-15', '10:30:00', 83218.00, 4160.90, 7700037555, 3.2, '2026-04-16 09:38:02.466206', '<?xml version="1.0" encoding="UTF-8"?><profile id="1015"><skills><skill level="5">Design</skill><skill level="1">Python</skill><skill level="2">Negotiation</skill></skills><languages>de</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1016, 'Pavel', 'Pelham', 'S', 'A01', 'Assistant', 9, '2021-04-26', '06:45:00', 75155.50, 3757.78, 7700037592, 4.5, '2026-05-19 10:45:15.570935', '<profile id="1016"><skills><skill level="1">Support</skill></skills><languages>fr</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1017, 'Quinn', 'Quade', 'T', 'B02', 'Lab Technician', 7, '2008-09-09', '07:00:00', 67092.00, 3354.60, 7700037629, 3.3, '2026-06-22 11:52:28.675664', '<?xml version="1.0" encoding="UTF-8"?><profile id="1017"><skills><skill level="2">SQL</skill><skill level="3">Statistics</skill></skills><languages>en</languages></profile>', X'89504E470D0A1A0A0000000D49484452000000010000000108060000001F15C4890000000D4944415478DA63F8CFC0F01F0005000201A5F6E2DD0000000049454E44AE426082');
INSERT INTO EMPLOYEE VALUES (1018, 'Rosa', 'Ravel', NULL, 'C03', 'Planner', 5, '2011-02-20', '08:15:00', 59029.50, NULL, 7700037666, 4.6, '2026-07-25 12:59:41.780393', '<profile id="1018"><skills><skill level="3">Python</skill><skill level="4">Negotiation</skill><skill level="5">Support</skill></skills><languages>pt</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1019, 'Silas', 'Sunder', 'B', 'D04', 'Developer', 3, '2014-07-03', '09:30:00', 50966.00, 2548.30, 7700037703, 3.4, '2026-08-01 13:06:54.885122', '<?xml version="1.0" encoding="UTF-8"?><profile id="1019"><skills><skill level="4">C++</skill></skills><languages>de</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1020, 'Tamsin', 'Talbot', 'C', 'E05', 'Team Lead', 10, '2017-12-14', '10:45:00', 79803.50, 3990.18, 7700037740, 4.7, '2026-09-04 14:13:07.989851', '<profile id="1020"><skills><skill level="5">Statistics</skill><skill level="1">Design</skill></skills><languages>fr</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1021, 'Ulrich', 'Umber', 'D', 'A01', 'Director', 8, '2020-05-25', '06:00:00', 70840.00, 3542.00, 7700037777, 3.5, '2026-10-07 15:20:20.094580', '<?xml version="1.0" encoding="UTF-8"?><profile id="1021"><skills><skill level="1">Negotiation</skill><skill level="2">Support</skill><skill level="3">C++</skill></skills><languages>en</languages></profile>', X'89504E470D0A1A0A0000000D49484452000000010000000108060000001F15C4890000000D4944415478DA63F8CFC0F01F0005000201A5F6E2DD0000000049454E44AE426082');
INSERT INTO EMPLOYEE VALUES (1022, 'Vera', 'Valdez', 'E', 'B02', 'Scientist', 6, '2023-10-08', '07:15:00', 62777.50, 3138.88, 7700037814, 4.8, '2026-11-10 16:27:33.199309', '<profile id="1022"><skills><skill level="2">Planning</skill></skills><languages>pt</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1023, 'Wendel', 'Weller', 'F', 'C03', 'Field Engineer', 4, '2010-03-19', '08:30:00', 54714.00, 2735.70, 7700037851, 3.6, '2026-01-13 17:34:46.304038', '<?xml version="1.0" encoding="UTF-8"?><profile id="1023"><skills><skill level="3">Design</skill><skill level="4">Python</skill></skills><languages>de</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1024, 'Xenia', 'Xiang', 'G', 'D04', 'Architect', 11, '2013-08-02', '09:45:00', 83551.50, NULL, 7700037888, 4.9, '2026-02-16 18:41:59.408767', '<profile id="1024"><skills><skill level="4">Support</skill><skill level="5">C++</skill><skill level="1">Planning</skill></skills><languages>fr</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1025, 'Yara', 'Yilmaz', NULL, 'E05', 'Agent', 9, '2016-01-13', '10:00:00', 75488.00, 3774.40, 7700037925, 3.7, '2026-03-19 07:48:12.513496', '<?xml version="1.0" encoding="UTF-8"?><profile id="1025"><skills><skill level="5">SQL</skill></skills><languages>en</languages></profile>', X'89504E470D0A1A0A0000000D49484452000000010000000108060000001F15C4890000000D4944415478DA63F8CFC0F01F0005000201A5F6E2DD0000000049454E44AE426082');
INSERT INTO EMPLOYEE VALUES (1026, 'Zeno', 'Zorn', 'J', 'A01', 'Assistant', 7, '2019-06-24', '06:15:00', 67425.50, 3371.28, 7700037962, 2.5, '2026-04-22 08:55:25.618225', '<profile id="1026"><skills><skill level="1">Python</skill><skill level="2">Negotiation</skill></skills><languages>pt</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1027, 'Anouk', 'Achterberg', 'K', 'B02', 'Analyst', 5, '2022-11-07', '07:30:00', 59362.00, 2968.10, 7700037999, 3.8, '2026-05-25 09:02:38.722954', '<?xml version="1.0" encoding="UTF-8"?><profile id="1027"><skills><skill level="2">C++</skill><skill level="3">Planning</skill><skill level="4">SQL</skill></skills><languages>de</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1028, 'Bruno', 'Bellamy', 'L', 'C03', 'Planner', 3, '2009-04-18', '08:45:00', 50399.50, 2519.98, 7700038036, 2.6, '2026-06-01 10:09:51.827683', '<profile id="1028"><skills><skill level="3">Statistics</skill></skills><languages>fr</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1029, 'Carla', 'Castell', 'M', 'D04', 'Designer', 10, '2012-09-01', '09:00:00', 79236.00, 3961.80, 7700038073, 3.9, '2026-07-04 11:16:04.932412', '<?xml version="1.0" encoding="UTF-8"?><profile id="1029"><skills><skill level="4">Negotiation</skill><skill level="5">Support</skill></skills><languages>en</languages></profile>', X'89504E470D0A1A0A0000000D49484452000000010000000108060000001F15C4890000000D4944415478DA63F8CFC0F01F0005000201A5F6E2DD0000000049454E44AE426082');
INSERT INTO EMPLOYEE VALUES (1030, 'Dmitri', 'Dunmore', 'N', 'E05', 'Team Lead', 8, '2015-02-12', '10:15:00', 71173.50, NULL, 7700038110, 2.7, '2026-08-07 12:23:17.037141', '<profile id="1030"><skills><skill level="5">Planning</skill><skill level="1">SQL</skill><skill level="2">Statistics</skill></skills><languages>pt</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1031, 'Edda', 'Everly', 'P', 'A01', 'Director', 6, '2018-07-23', '06:30:00', 63110.00, 3155.50, 7700038147, 4.0, '2026-09-10 13:30:30.141870', '<?xml version="1.0" encoding="UTF-8"?><profile id="1031"><skills><skill level="1">Design</skill></skills><languages>de</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1032, 'Florin', 'Fenwick', NULL, 'B02', 'Lab Technician', 4, '2021-12-06', '07:45:00', 55047.50, 2752.38, 7700038184, 2.8, '2026-10-13 14:37:43.246599', '<profile id="1032"><skills><skill level="2">Support</skill><skill level="3">C++</skill></skills><languages>fr</languages></profile>', NULL);
INSERT INTO EMPLOYEE VALUES (1033, 'Gisela', 'Gallo', 'S', 'C03', 'Field Engineer', 11, '2008-05-17', '08:00:00', 83884.00, 4194.20, 7700038221, 4.1, '2026-11-16 15:44:56.351328', '<?xml version="1.0" encoding="UTF-8"?><profile id="1033"><skills><skill level="3">SQL</skill><skill level="4">Statistics</skill><skill level="5">Design</skill></skills><languages>en</languages></profile>', X'89504E470D0A1A0A0000000D49484452000000010000000108060000001F15C4890000000D4944415478DA63F8CFC0F01F0005000201A5F6E2DD0000000049454E44AE426082');
INSERT INTO EMPLOYEE VALUES (1034, 'Henrik', 'Harrow', 'T', 'D04', 'Developer', 9, '2011-10-28', '09:15:00', 74921.50, 3746.08, 7700038258, 2.9, '2026-01-19 16:51:09.456057', '<profile id="1034"><skills><skill level="4">Python</skill></skills><languages>pt</languages></profile>', NULL);

UPDATE DEPARTMENT SET HEAD_ID = 1001 WHERE DEPT_ID = 'A01';
UPDATE DEPARTMENT SET HEAD_ID = 1002 WHERE DEPT_ID = 'B02';
UPDATE DEPARTMENT SET HEAD_ID = 1003 WHERE DEPT_ID = 'C03';
UPDATE DEPARTMENT SET HEAD_ID = 1004 WHERE DEPT_ID = 'D04';
UPDATE DEPARTMENT SET HEAD_ID = 1005 WHERE DEPT_ID = 'E05';

CREATE TABLE PROJECT (
    PROJ_ID     CHAR(6) NOT NULL PRIMARY KEY
        CONSTRAINT PAVONA_22001_PROJ_ID CHECK (length(PROJ_ID) <= 6),
    PROJ_NAME   VARCHAR(40) NOT NULL
        CONSTRAINT PAVONA_22001_PROJ_NAME CHECK (length(PROJ_NAME) <= 40),
    DEPT_ID     CHAR(3) REFERENCES DEPARTMENT (DEPT_ID)
        CONSTRAINT PAVONA_22001_DEPT_ID CHECK (length(DEPT_ID) <= 3),
    LEAD_ID     INTEGER REFERENCES EMPLOYEE (EMP_ID)
        CONSTRAINT PAVONA_22018_LEAD_ID CHECK (typeof(LEAD_ID) NOT IN ('text', 'blob'))
        CONSTRAINT PAVONA_22003_LEAD_ID CHECK (typeof(LEAD_ID) NOT IN ('integer', 'real') OR LEAD_ID BETWEEN -2147483648 AND 2147483647),
    STAFF       SMALLINT
        CONSTRAINT PAVONA_22018_STAFF CHECK (typeof(STAFF) NOT IN ('text', 'blob'))
        CONSTRAINT PAVONA_22003_STAFF CHECK (typeof(STAFF) NOT IN ('integer', 'real') OR STAFF BETWEEN -32768 AND 32767),
    START_DATE  DATE
        CONSTRAINT PAVONA_22007_START_DATE CHECK (START_DATE IS NULL OR (START_DATE GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]' AND date(START_DATE, '+0 days') IS START_DATE)),
    END_DATE    DATE
        CONSTRAINT PAVONA_22007_END_DATE CHECK (END_DATE IS NULL OR (END_DATE GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]' AND date(END_DATE, '+0 days') IS END_DATE)),
    COST        DECIMAL(11,2)
        CONSTRAINT PAVONA_22018_COST CHECK (typeof(COST) NOT IN ('text', 'blob'))
        CONSTRAINT PAVONA_22003_COST CHECK (typeof(COST) NOT IN ('integer', 'real') OR abs(COST) < 1e9),
    NOTES       VARCHAR(200)
        CONSTRAINT PAVONA_22001_NOTES CHECK (length(NOTES) <= 200)
);
INSERT INTO PROJECT VALUES ('PR0001', 'Harbour sensor network', 'B02', 1002, 6, '2024-02-01', '2025-06-30', 412000.00, 'Tide and salinity probes along the quay');
INSERT INTO PROJECT VALUES ('PR0002', 'Billing platform rewrite', 'D04', 1004, 9, '2023-09-15', '2025-03-31', 1180500.25, 'Moves invoicing off the old batch system');
INSERT INTO PROJECT VALUES ('PR0003', 'Regional depot survey', 'C03', 1003, 4, '2025-01-06', NULL, 96000.00, NULL);
INSERT INTO PROJECT VALUES ('PR0004', 'Help line quality review', 'E05', 1005, 3, '2024-11-01', '2025-02-28', 38500.50, 'Call sampling and scoring');
INSERT INTO PROJECT VALUES ('PR0005', 'Annual planning cycle', 'A01', 1001, 2, '2025-09-01', '2025-12-19', 12000.00, NULL);
INSERT INTO PROJECT VALUES ('PR0006', 'Soil chemistry models', 'B02', 1007, 5, '2022-04-11', '2024-10-31', 655250.00, 'Completed; results published internally');
INSERT INTO PROJECT VALUES ('PR0007', 'Mobile field forms', 'D04', 1009, 7, '2025-03-03', NULL, 287000.00, 'Offline-first data capture for engineers');

CREATE INDEX EMPLOYEE_DEPT ON EMPLOYEE (DEPT_ID);
CREATE VIEW EMPLOYEE_SUMMARY AS
    SELECT D.DEPT_NAME, COUNT(*) AS HEADCOUNT, AVG(E.SALARY) AS AVERAGE_SALARY
    FROM EMPLOYEE E JOIN DEPARTMENT D ON D.DEPT_ID = E.DEPT_ID
    GROUP BY D.DEPT_NAME;

COMMIT;
