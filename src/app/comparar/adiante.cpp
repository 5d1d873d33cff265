// The sections after the units made ahead on threads of their own.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "app/comparar/critica.h"
#include "rt/db/threads.h"
#include "rt/runtime.h"
#include "rt/term/headless.h"

namespace fpo::comparar {

namespace {

// The units' table, which the units section leaves in unit-id order for the
// sections after it.
constexpr const char* kUnidades = "UPSZEB";

struct Desistencia {};  // thrown inside a section ahead that is given up

}  // namespace

struct Adiante::Tarefa {
  Tarefa(Sistema& s, const Critica& c, Fabrica f)
      : fabrica(f),
        config(s.rt.dos.config()),
        ajustes(s.rt.db.settings()),
        ano(s.ANO_REFERENCIA),
        mes(s.MES_REFERENCIA),
        refArquivo(s.REF_ARQUIVO),
        unidade(c.UNIDADE),
        refArq(c.REF_ARQ),
        refArquivoCritica(c.REF_ARQUIVO),
        codmnc(c.CODMNC),
        diretorio(c.DIRETORIO),
        fio([this] { corre(); }) {}

  ~Tarefa() {
    desistir = true;
    {
      std::lock_guard<std::mutex> g(m);
      sinal = true;
    }
    cv.notify_all();
    fio.join();
  }

  // Waits for the end of its work.
  void espera() {
    std::unique_lock<std::mutex> g(m);
    cv.wait(g, [this] { return terminou; });
  }

  void libera(const std::string& tabela, const std::string& ordem) {
    {
      std::lock_guard<std::mutex> g(m);
      unidades = tabela;
      ordemUnidades = ordem;
      liberada = sinal = true;
    }
    cv.notify_all();
  }

  // The steps of the pass kept, a run of counter steps as its last one; a
  // section given up stops at its next step.
  class Gravador : public Painel {
   public:
    explicit Gravador(Tarefa& t) : t_(t) {}
    void comeca(std::uint32_t total) override { guarda({Passo::Comeca, static_cast<long>(total)}); }
    void percent(long registro) override { guarda({Passo::Percent, registro}); }
    void contador(long registro) override {
      if (t_.desistir || t_.falhou) throw Desistencia{};
      if (!t_.passos.empty() && t_.passos.back().tipo == Passo::Contador)
        t_.passos.back().valor = registro;
      else
        guarda({Passo::Contador, registro});
    }

   private:
    void guarda(Passo p) {
      if (t_.desistir || t_.falhou) throw Desistencia{};
      t_.passos.push_back(p);
    }
    Tarefa& t_;
  };

  void corre() {
    try {
      rt::Runtime rt(std::make_unique<rt::term::Headless>(), config);
      rt.errors.install([this](const rt::err::Error&) {
        falhou = true;
        return rt::err::Answer::byDefault();
      });
      rt.db.settings() = ajustes;
      Sistema s(rt);
      s.ANO_REFERENCIA = ano;
      s.MES_REFERENCIA = mes;
      s.REF_ARQUIVO = refArquivo;
      Critica c(s);
      c.UNIDADE = unidade;
      c.REF_ARQ = refArq;
      c.REF_ARQUIVO = refArquivoCritica;
      c.CODMNC = codmnc;
      c.DIRETORIO = diretorio;
      std::unique_ptr<Secao> secao = fabrica(s, c);
      secao->prepara();
      bool vez = false;
      {
        std::unique_lock<std::mutex> g(m);
        cv.wait(g, [this] { return sinal; });
        vez = liberada && !desistir;
      }
      if (vez && !falhou && rt.db.useShared(unidades, kUnidades) &&
          rt.db.current().orderListAdd(ordemUnidades)) {
        Gravador gravador(*this);
        comparaSecao(s, c, *secao, gravador);
        bancos = std::move(c.VT_BANCOS);
        for (const std::string* alias : {&secao->nacional, &secao->local}) {
          rt::db::Area* a = rt.db.find(*alias);
          std::optional<std::string> nome;
          if (a && a->used()) nome = rt.dos.dosName(a->table()->path());
          if (!nome) falhou = true;
          tabelas.push_back(nome.value_or(""));
        }
      } else {
        falhou = true;
      }
      rt.db.closeAll();
    } catch (...) {
      falhou = true;
    }
    {
      std::lock_guard<std::mutex> g(m);
      terminou = true;
    }
    cv.notify_all();
  }

  // What it starts from, copied from the program's thread.
  Fabrica fabrica;
  rt::dos::Config config;
  rt::db::Settings ajustes;
  int ano, mes;
  std::optional<std::string> refArquivo;
  std::string unidade, refArq, refArquivoCritica;
  int codmnc;
  std::string diretorio;

  std::mutex m;
  std::condition_variable cv;
  bool sinal = false;     // liberada or desistir was set
  bool liberada = false;  // UPSZEB may be read: these are its table and order
  std::string unidades, ordemUnidades;
  bool terminou = false;
  std::atomic<bool> desistir{false};

  // What it gives back, read after terminou.
  std::atomic<bool> falhou{false};
  std::vector<Entrada> bancos;
  std::vector<Passo> passos;
  std::vector<std::string> tabelas;  // national and local tables, by their DOS names

  std::thread fio;  // last: started once everything above is in place
};

Adiante::Adiante(Sistema& s, Critica& c) {
  if (rt::db::workThreads() < 2) return;
  try {
    for (Fabrica f : {SERVICOS, ESPECIALIDADES, ORCAMENTO})
      tarefas_.push_back(std::make_unique<Tarefa>(s, c, f));
  } catch (const std::system_error&) {
    tarefas_.clear();  // no thread to spare after all: each is made in its turn
  }
}

Adiante::~Adiante() = default;

void Adiante::unidadesProntas(Sistema& s) {
  if (tarefas_.empty()) return;
  rt::db::Area* ups = s.rt.db.find(kUnidades);
  std::optional<std::string> tabela, ordem;
  if (ups && ups->orderCount() == 1) {
    tabela = s.rt.dos.dosName(ups->table()->path());
    ordem = s.rt.dos.dosName(ups->index(1)->path());
  }
  if (!tabela || !ordem) {
    desiste(s);
    return;
  }
  ups->close();
  unidades_ = {*tabela, *ordem};
  for (auto& t : tarefas_) t->libera(*tabela, *ordem);
}

bool Adiante::entrega(Sistema& s, Critica& c, Secao& secao) {
  if (!unidades_ || secao.k < 3 || static_cast<std::size_t>(secao.k - 3) >= tarefas_.size()) return false;
  Tarefa& t = *tarefas_[static_cast<std::size_t>(secao.k - 3)];
  t.espera();
  bool ok = !t.falhou;
  if (ok) {
    // Its tables here under the same aliases: the report's lines read them.
    rt::err::ErrorSystem::Silence quieto(s.rt.errors);
    ok = s.rt.db.use(t.tabelas[0], secao.nacional);
    if (ok && !s.rt.db.use(t.tabelas[1], secao.local)) {
      s.rt.db.find(secao.nacional)->close();
      ok = false;
    }
  }
  if (!ok) {
    desiste(s);
    return false;
  }
  c.VT_BANCOS = std::move(t.bancos);
  mostraPassagem(s, secao, t.passos);
  return true;
}

void Adiante::desiste(Sistema& s) {
  tarefas_.clear();
  if (!unidades_) return;
  const auto [tabela, ordem] = *std::exchange(unidades_, std::nullopt);
  if (s.rt.db.use(tabela, kUnidades)) s.rt.db.current().orderListAdd(ordem);
}

}  // namespace fpo::comparar
