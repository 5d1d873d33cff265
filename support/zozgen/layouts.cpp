// The field lists of ZOZ's tables, the control table and the state's
// critique files, as layouts.h names them.
#include "zozgen/layouts.h"

namespace zozgen {

const Layout kCtrl = {
    {"CODMNC", 'N', 4, 0}, {"NMEMNC", 'C', 30, 0}, {"CODGES", 'C', 2, 0}, {"DATREF", 'C', 6, 0}};
const Layout kCtrlDer = {{"CODMNC", 'N', 4, 0},
                         {"NMEMNC", 'C', 30, 0},
                         {"CODDER", 'N', 2, 0},
                         {"CODGES", 'C', 2, 0},
                         {"DATREF", 'C', 6, 0}};
const Layout kMnt = {{"MNT_ID", 'C', 8, 0},    {"MNT_CGCFI", 'C', 4, 0}, {"MNT_CGCDV", 'C', 2, 0},
                     {"MNT_RZSC", 'C', 35, 0}, {"MNT_MN", 'C', 6, 0},    {"MNT_RS", 'C', 3, 0},
                     {"MNT_AB", 'C', 6, 0},    {"MNT_NU_CC", 'C', 14, 0}};
const Layout kSrv = {{"SRV_UID", 'C', 7, 0}, {"SRV_SR", 'C', 3, 0}, {"SRV_CSF", 'C', 3, 0}};
const Layout kEmu = {{"EMU_UID", 'C', 7, 0}, {"EMU_EMA", 'C', 2, 0}, {"EMU_QT_PR", 'N', 3, 0}};
const Layout kEmuHoras = {
    {"EMU_UID", 'C', 7, 0}, {"EMU_EMA", 'C', 2, 0}, {"EMU_QT_PR", 'N', 4, 0}, {"EMU_QT_HR", 'N', 6, 0}};
const Layout kIpu = {{"IPU_UID", 'C', 7, 0},   {"IPU_NAPU", 'C', 3, 0},  {"IPU_PA", 'C', 7, 0},
                     {"IPU_TPFIN", 'C', 2, 0}, {"IPU_CMP", 'C', 6, 0},   {"IPU_VU_O", 'N', 12, 2},
                     {"IPU_QT_O", 'N', 8, 0},  {"IPU_VL_O", 'N', 14, 2}, {"IPU_MVM", 'C', 6, 0},
                     {"IPU_FPOMAG", 'C', 1, 0}};
const Layout kUpsAntigo = {{"UPS_ID", 'C', 7, 0},    {"UPS_UF", 'C', 2, 0},     {"UPS_RZSC", 'C', 35, 0},
                           {"UPS_NMFN", 'C', 35, 0}, {"UPS_IN_ATV", 'C', 1, 0}, {"UPS_CGCCPF", 'C', 14, 0},
                           {"UPS_MN", 'C', 6, 0},    {"UPS_DT_IN", 'D', 8, 0},  {"UPS_QT_CM", 'N', 3, 0},
                           {"UPS_CNES", 'C', 7, 0},  {"UPS_IDANT", 'C', 7, 0},  {"UPS_OBS", 'C', 20, 0}};
const Layout kPa = {{"PA_ID", 'C', 10, 0},     {"PA_DC", 'C', 40, 0},    {"PA_CMP", 'C', 6, 0},
                    {"PA_ELETIVA", 'C', 1, 0}, {"PA_TOTAL", 'N', 12, 2}, {"PA_PAB", 'C', 1, 0}};
const Layout kVpa = {{"VPA_CMP", 'C', 6, 0},    {"VPA_PA", 'C', 10, 0}, {"VPA_TIPO", 'C', 1, 0},
                     {"VPA_TOTAL", 'N', 12, 2}, {"VPA_SA", 'N', 12, 2}, {"VPA_CTF", 'C', 2, 0},
                     {"VPA_RUB", 'C', 6, 0},    {"VPA_MVM", 'C', 6, 0}, {"VPA_MUN", 'C', 6, 0}};
const Layout kCtr = {{"CTR_MVM", 'C', 6, 0},  {"CTR_CAD", 'C', 1, 0},    {"CTR_FPO", 'C', 1, 0},
                     {"CTR_BDP", 'C', 1, 0},  {"CTR_PRD", 'C', 1, 0},    {"CTR_CRD", 'C', 1, 0},
                     {"CTR_CNES", 'C', 3, 0}, {"CTR_VERSAO", 'C', 10, 0}};
const Layout kSsAntigo = {{"SS_GESTAO", 'C', 6, 0},
                          {"SS_CONDIC", 'C', 2, 0},
                          {"SS_UFIBGE", 'C', 2, 0},
                          {"SS_UFSIGL", 'C', 2, 0},
                          {"SS_DPCNES", 'C', 5, 0}};
const Layout kCtl = {{"CODDER", 'N', 2, 0}, {"CODMNC", 'N', 4, 0}, {"DATREF", 'N', 6, 0},
                     {"DATATU", 'D', 8, 0}, {"DATSES", 'D', 8, 0}, {"DATVRS", 'D', 8, 0},
                     {"DATIMP", 'D', 8, 0}, {"STASES", 'C', 1, 0}, {"CODRMS", 'C', 1, 0},
                     {"CODGST", 'C', 2, 0}};
const Layout kFman = {
    {"CODEST", 'C', 2, 0},  {"CODDER", 'C', 3, 0},  {"CODMNC", 'C', 5, 0},  {"NMRCGC", 'C', 14, 0},
    {"NMERAZ", 'C', 30, 0}, {"CODABT", 'N', 2, 0},  {"NMELOG", 'C', 30, 0}, {"NMRLOG", 'C', 5, 0},
    {"NMECMP", 'C', 10, 0}, {"NMEBAI", 'C', 15, 0}, {"CODCEP", 'N', 8, 0},  {"CODDDD", 'N', 4, 0},
    {"NMRTLF", 'N', 7, 0},  {"CODBCO", 'N', 3, 0},  {"CODAGB", 'C', 6, 0},  {"NMRCTB", 'C', 14, 0}};
const Layout kFups = {
    {"CODEST", 'C', 2, 0},  {"CODDER", 'C', 3, 0},  {"CODDIS", 'N', 3, 0},  {"CODMNC", 'C', 4, 0},
    {"DIGMNC", 'C', 1, 0},  {"CODUPS", 'C', 6, 0},  {"DATREF", 'N', 6, 0},  {"NMERAZ", 'C', 35, 0},
    {"NMEFAN", 'C', 35, 0}, {"CODFIJ", 'N', 1, 0},  {"NMRFIJ", 'C', 14, 0}, {"CODABT", 'N', 1, 0},
    {"NMELOG", 'C', 30, 0}, {"NMRLOG", 'C', 5, 0},  {"NMECMP", 'C', 10, 0}, {"NMEBAI", 'C', 15, 0},
    {"CODCEP", 'N', 8, 0},  {"CODDDD", 'N', 4, 0},  {"NURTLF", 'N', 7, 0},  {"CODBCO", 'N', 3, 0},
    {"CODAGB", 'C', 6, 0},  {"NMRCTB", 'C', 14, 0}, {"CODTIU", 'C', 2, 0},  {"CODPRT", 'C', 2, 0},
    {"NMRCTR", 'N', 8, 0},  {"DATCTR", 'N', 8, 0},  {"QTDCSM", 'N', 3, 0},  {"QTDEQO", 'N', 3, 0},
    {"QTDSGE", 'N', 2, 0},  {"QTDSPC", 'N', 2, 0},  {"QTDSCA", 'N', 2, 0},  {"CODTUA", 'C', 2, 0},
    {"CODFLU", 'C', 2, 0},  {"CODNVH", 'C', 2, 0}};
const Layout kFafo = {{"CODEST", 'C', 2, 0},  {"CODUPS", 'C', 6, 0},  {"DATREF", 'C', 6, 0},
                      {"CODIPR", 'C', 2, 0},  {"IPRAUX", 'C', 5, 0},  {"QTDPRG", 'C', 7, 0},
                      {"QTDPRD", 'C', 7, 0},  {"QTDAPR", 'C', 7, 0},  {"VCTPRG", 'C', 15, 0},
                      {"VCTPRD", 'C', 15, 0}, {"VCTAPR", 'C', 15, 0}, {"CODBLQ", 'C', 1, 0},
                      {"VCTDPG", 'C', 15, 0}, {"CODIDC", 'C', 1, 0},  {"CODMNC", 'C', 6, 0}};

}  // namespace zozgen
