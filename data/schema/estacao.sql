/* Station database, SQL dialect 1, character set NONE (texts are
   Windows-1252 bytes).

   In dialect 1 a DATE holds a date and a time of day. Columns that hold only
   a time of day (MvTurno.HrAbertura, MvTurno.HrTermino) are DATEs on the
   fixed day 30.12.1899, the day whose date-time number is 0, so reading them
   as a date-time yields the time alone. Columns that hold only a date carry
   the time 00:00:00. Times kept as text are CHAR(8) "hh:mm:ss".

   Text codes of fixed length are CHAR; everything else is VARCHAR. Numbers
   are DOUBLE PRECISION, as the program reads and binds them as doubles.

   The program creates no table: this script and the tests do. */

CREATE TABLE Produto (
    CodProd              VARCHAR(5) NOT NULL,
    Descricao            VARCHAR(40),
    CONSTRAINT PK_Produto PRIMARY KEY (CodProd)
);

CREATE TABLE Tanques (
    CodTanque            VARCHAR(6) NOT NULL,
    CodProd              VARCHAR(5),
    CONSTRAINT PK_Tanques PRIMARY KEY (CodTanque)
);

/* CodConcentrador: the nozzle's address on the concentrator as three decimal
   digits ('000'-'255'); NULL or empty for a nozzle not wired to it. */
CREATE TABLE Bombas (
    CodBico              VARCHAR(3) NOT NULL,
    Descricao            VARCHAR(40),
    CodTanque            VARCHAR(6),
    CodConcentrador      CHAR(3),
    PrecoVenda           DOUBLE PRECISION,
    EncerranteIni        DOUBLE PRECISION,
    statusbico           CHAR(1),
    CONSTRAINT PK_Bombas PRIMARY KEY (CodBico)
);

CREATE INDEX IX_Bombas_CodConcentrador ON Bombas (CodConcentrador);

/* The station parameters: one row. */
CREATE TABLE ParaPosto (
    SequenciaAbast       INTEGER,
    AcertaDataConc       CHAR(1),
    PortaConc            VARCHAR(10),
    ImpreDescBico        CHAR(1),
    UsaConcentrador      CHAR(1),
    CorrigeLitragem      CHAR(1),
    visualizastatusbomba CHAR(1)
);

/* One row per fueling. (Data, Hora, CodBico) is kept unique by the program,
   which moves the time forward until the slot is free; the index serves that
   lookup. */
CREATE TABLE MvAbast (
    Data                 DATE NOT NULL,
    Hora                 CHAR(8) NOT NULL,
    CodBico              VARCHAR(3) NOT NULL,
    Combustivel          VARCHAR(40),
    Litragem             DOUBLE PRECISION,
    Valor                DOUBLE PRECISION,
    CodProd              VARCHAR(5),
    CodGrade             VARCHAR(6),
    CodFid               VARCHAR(16),
    PrecoUnit            DOUBLE PRECISION,
    Desconto             DOUBLE PRECISION,
    Emitido              CHAR(1),
    Id                   INTEGER,
    Sequencia            INTEGER,
    EncerranteFinal      DOUBLE PRECISION
);

CREATE INDEX IX_MvAbast_Slot ON MvAbast (Data, Hora, CodBico);
CREATE INDEX IX_MvAbast_Emitido ON MvAbast (Emitido, Data);

/* Totalizer readings: one row per company, shift and nozzle, kept so by the
   program; station databases declare no key on this table. */
CREATE TABLE MvEncerrantes (
    CodEmpresa           VARCHAR(2) NOT NULL,
    CodTurno             VARCHAR(10) NOT NULL,
    CodBico              VARCHAR(3) NOT NULL,
    EncerranteIni        DOUBLE PRECISION,
    EncerranteFim        DOUBLE PRECISION,
    Saida                DOUBLE PRECISION,
    DataLeitura          DATE,
    HoraLeitura          CHAR(8)
);

CREATE TABLE Turnos (
    CodTurno             VARCHAR(3) NOT NULL,
    Descricao            VARCHAR(30),
    CONSTRAINT PK_Turnos PRIMARY KEY (CodTurno)
);

CREATE TABLE Vendend (
    CodVendedor          VARCHAR(5) NOT NULL,
    Nome                 VARCHAR(40),
    CONSTRAINT PK_Vendend PRIMARY KEY (CodVendedor)
);

/* Shifts. DtMovimento, DtTermino, DtFechamento: dates (time 00:00:00).
   HrAbertura, HrTermino: times of day on 30.12.1899 (see the top). */
CREATE TABLE MvTurno (
    Controle             VARCHAR(10) NOT NULL,
    CodEmpresa           VARCHAR(2),
    DtMovimento          DATE,
    HrAbertura           DATE,
    DtTermino            DATE,
    HrTermino            DATE,
    CodTurno             VARCHAR(3),
    CodVendedor          VARCHAR(5),
    DtFechamento         DATE,
    HrFechamento         CHAR(8),
    Status               CHAR(1),
    CONSTRAINT PK_MvTurno PRIMARY KEY (Controle)
);

COMMIT;
