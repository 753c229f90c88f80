/* Demo data: a station on the concentrator at COM1, four nozzles (three
   wired to the concentrator codes 004, 005 and 068, one not wired) and an
   open shift from today 00:00:00 to tomorrow 23:59:59. 'TODAY' is taken when
   the script runs. */

INSERT INTO ParaPosto (SequenciaAbast, AcertaDataConc, PortaConc, ImpreDescBico,
                       UsaConcentrador, CorrigeLitragem, visualizastatusbomba)
VALUES (1, 'N', 'COM1', 'N', 'S', 'N', 'S');

INSERT INTO Produto (CodProd, Descricao) VALUES ('001', 'GASOLINA COMUM');
INSERT INTO Produto (CodProd, Descricao) VALUES ('002', 'ETANOL HIDRATADO');
INSERT INTO Produto (CodProd, Descricao) VALUES ('003', 'OLEO DIESEL S10');
INSERT INTO Produto (CodProd, Descricao) VALUES ('004', 'GASOLINA ADITIVADA');

INSERT INTO Tanques (CodTanque, CodProd) VALUES ('01', '001');
INSERT INTO Tanques (CodTanque, CodProd) VALUES ('02', '002');
INSERT INTO Tanques (CodTanque, CodProd) VALUES ('03', '003');
INSERT INTO Tanques (CodTanque, CodProd) VALUES ('04', '004');

INSERT INTO Bombas (CodBico, Descricao, CodTanque, CodConcentrador, PrecoVenda, EncerranteIni, statusbico)
VALUES ('01', 'BICO 01 GASOLINA', '01', '004', 5.899, 10250.5, 'L');
INSERT INTO Bombas (CodBico, Descricao, CodTanque, CodConcentrador, PrecoVenda, EncerranteIni, statusbico)
VALUES ('02', 'BICO 02 ETANOL', '02', '005', 3.999, 8200.0, 'L');
INSERT INTO Bombas (CodBico, Descricao, CodTanque, CodConcentrador, PrecoVenda, EncerranteIni, statusbico)
VALUES ('03', 'BICO 03 DIESEL', '03', '068', 6.199, 45870.25, 'L');
INSERT INTO Bombas (CodBico, Descricao, CodTanque, CodConcentrador, PrecoVenda, EncerranteIni, statusbico)
VALUES ('04', 'BICO 04 ADITIVADA', '04', NULL, 6.099, 1200.0, NULL);

INSERT INTO Turnos (CodTurno, Descricao) VALUES ('1', 'DIURNO');
INSERT INTO Vendend (CodVendedor, Nome) VALUES ('001', 'FRENTISTA PADRAO');

INSERT INTO MvTurno (Controle, CodEmpresa, DtMovimento, HrAbertura, DtTermino, HrTermino,
                     CodTurno, CodVendedor, DtFechamento, HrFechamento, Status)
VALUES ('000001', '00', CAST('TODAY' AS DATE), CAST('30.12.1899 00:00:00' AS DATE),
        CAST('TOMORROW' AS DATE), CAST('30.12.1899 23:59:59' AS DATE),
        '1', '001', NULL, NULL, 'N');

COMMIT;
