// Further toolkit routines: the index-key cleaner, the report save-or-print
// question, the spinner and two boxed pick lists.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>

#include "app/funcoes/Funcoes.h"
#include "rt/db/file.h"
#include "rt/os/os.h"
#include "rt/term/keys.h"
#include "rt/term/screen_guard.h"
#include "rt/text/cp860.h"
#include "rt/ui/achoice.h"

namespace fpo {

namespace {

namespace key = rt::term::key;

constexpr std::size_t kChaveInicio = 22;  // the key expression in an NTX header
constexpr std::size_t kChaveTamanho = 256;

// SECONDS(): the time of day in seconds, to the hundredth.
double segundosDoDia() {
  const auto agora = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(agora);
  const std::tm local = rt::os::localTime(t);
  const auto centesimos =
      std::chrono::duration_cast<std::chrono::milliseconds>(agora.time_since_epoch()).count() % 1000 / 10;
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
         static_cast<double>(centesimos) / 100.0;
}

// The list of MENUACHOICE and RELATACHOICE in its box, opened again until it
// ends with Enter or Esc.
int listaEmCaixa(Sistema& s, int LI, int CI, int b, int r, const std::vector<std::string>& itens,
                 const std::vector<bool>& escolhiveis, int INICIAL) {
  auto& t = s.term();
  using Guarda = rt::term::ScreenGuard;
  const Guarda anterior(t, Guarda::kRegion | Guarda::kColors, {2, 0, 24, 79});
  t.setColor("0+/W");
  JANELA(s, LI, CI, b + 1, r + 1, "", "S", 8);
  t.setColor("0/W, W+/R,,, 0/W");
  // A list with nothing to choose ends at once, without a key: asking again
  // would never end.
  bool algum = false;
  for (std::size_t i = 0; i < itens.size(); ++i) algum = algum || i >= escolhiveis.size() || escolhiveis[i];
  int resultado = 0;
  if (algum) {
    do {
      resultado = rt::ui::achoice(t, LI + 1, CI + 1, b, r, itens, escolhiveis, {}, INICIAL);
    } while (t.lastKey() != key::kEnter && t.lastKey() != key::kEsc);
  }
  return resultado;
}

int maisLongo(const std::vector<std::string>& itens) {
  std::size_t n = 0;
  for (const auto& i : itens) n = std::max(n, i.size());
  return static_cast<int>(n);
}

}  // namespace

void FECHAINDICE(Sistema& s, std::string_view INDICE) {
  FPO_ROUTINE(s, "FECHAINDICE");
  s.term().setCursor(rt::term::CursorShape::None);
  const auto caminho = s.rt.dos.resolve(INDICE);
  if (!caminho) return;
  rt::db::File f;
  if (!f.open(*caminho, rt::db::File::Mode::ReadWrite, rt::db::File::Lock::Exclusive)) return;
  std::uint64_t tamanho = 0;
  if (!f.size(tamanho) || tamanho < kChaveInicio + kChaveTamanho) return;
  std::string bytes(static_cast<std::size_t>(tamanho), '\0');
  std::size_t lidos = 0;
  if (!f.readAt(0, bytes.data(), bytes.size(), lidos) || lidos != bytes.size()) return;

  // The stored expression ends at its zero byte.
  std::string chave = bytes.substr(kChaveInicio, kChaveTamanho);
  chave = chave.substr(0, chave.find('\0'));
  const std::size_t p = chave.find("+ Percent");
  // Without a progress call the expression stays as it is.
  if (p == std::string::npos) return;
  std::string nova = chave.substr(0, p) + '\0';
  nova.resize(kChaveTamanho, ' ');
  bytes.replace(kChaveInicio, kChaveTamanho, nova);

  // The whole file is written beside and renamed over, never half-patched.
  rt::db::Replacement r;
  if (r.begin(*caminho, true) && r.write(bytes.data(), bytes.size())) r.commit(&f);
}

void IMPRIME(Sistema& s, std::string_view VL_ARQ) {
  FPO_ROUTINE(s, "IMPRIME");
  auto& t = s.term();
  auto& dos = s.rt.dos;
  const std::string arquivo = std::string(VL_ARQ) + ".PRN";
  for (;;) {
    const int resposta =
        NEWALERT(s, "Relatório Concluído"_cp, {"Salva/Imprime", "Apenas Imprime", "Apenas Salva"})
            .value_or(0);
    if (resposta == 1 || resposta == 2) {
      const auto caminho = dos.resolve(arquivo);
      if (dos.printerReady()) {
        t.devPos(20, 3);
        t.devOut("Imprimindo... ", "R*/W");
        // A copy that failed keeps the file and asks again.
        if (caminho && dos.copyToPrinter(*caminho)) {
          if (resposta == 2) dos.deleteFile(arquivo);
          return;
        }
      }
      alertar(s, "Impressora Desativada ou;sem Papel");
      continue;
    }
    if (resposta == 0) dos.deleteFile(arquivo);
    return;
  }
}

void RELOGIO(Sistema& s, EstadoRelogio& r, std::string_view TIPO) {
  FPO_ROUTINE(s, "RELOGIO");
  static const char* const kQuadros[] = {"| ", "/ ", "─ ", "\\ ", "| ", "/ ", "─ ", "\\ "};
  auto& t = s.term();
  const auto agora = [&r] { return r.segundos ? r.segundos() : segundosDoDia(); };
  t.setDevice(rt::term::Terminal::Device::Screen);
  t.setCursor(rt::term::CursorShape::None);
  if (TIPO == "Inicial") {
    t.setColor("0+/W");
    JANELA(s, 19, 1, 21, 18, "", "S", 8);
    t.devPos(20, 3);
    t.devOut("Processando", "0/W");
    r.fim = r.quadro = agora();
    r.proximo = 1;
  }
  t.setColor("R/W");
  // Past midnight the time of day starts again from 0; that counts as time
  // gone by, so the spinner does not stop until the times catch up. The
  // times are hundredths, which a double holds only nearly: 10.01 - 10.00
  // falls just short of 0.01 and still counts as a hundredth.
  const double passado = r.fim - r.quadro;
  if (passado >= 0.01 - 1e-9 || passado < 0) {
    if (r.proximo < 1 || r.proximo > 8) r.proximo = 1;
    t.devPos(20, 16);
    t.devOut(rt::text::fromUtf8(kQuadros[r.proximo - 1]));
    r.quadro = r.fim;
    r.proximo = r.proximo % 8 + 1;
  }
  r.fim = agora();
  t.setColor("W+/GB");
  t.setDevice(rt::term::Terminal::Device::Printer);
}

int MENUACHOICE(Sistema& s, int LI, int CI, const std::vector<std::string>& ELEMENTOS, int INICIAL) {
  FPO_ROUTINE(s, "MENUACHOICE");
  const int r = CI + maisLongo(ELEMENTOS);
  const int b = std::min(LI + static_cast<int>(ELEMENTOS.size()), 20);
  return listaEmCaixa(s, LI, CI, b, r, ELEMENTOS, {}, INICIAL);
}

int RELATACHOICE(Sistema& s, int LI, int CI, const std::vector<std::pair<std::string, bool>>& ELEMENTOS) {
  FPO_ROUTINE(s, "RELATACHOICE");
  std::vector<std::string> itens;
  std::vector<bool> escolhiveis;
  for (const auto& [texto, escolhivel] : ELEMENTOS) {
    itens.push_back(texto);
    escolhiveis.push_back(escolhivel);
  }
  const int r = CI + maisLongo(itens);
  const int n = static_cast<int>(itens.size());
  const int b = n > 15 ? 18 : LI + n;
  return listaEmCaixa(s, LI, CI, b, r, itens, escolhiveis, 1);
}

}  // namespace fpo
