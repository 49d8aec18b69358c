#pragma once
// Runs a built program for the end-to-end tests (the host, the journeys): its exit status and what
// it printed, with no terminal and nothing on its standard input.
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vyn {

struct TSaidaProcesso {
  int Status = -1;        // the exit status; -1 when the program did not exit normally
  std::string Out;
  std::string Err;
  int MsAposSinal = -1;   // how long it ran after the signal it was sent; -1 when none was
};

// The whole text of a file; "" when it cannot be read.
inline std::string LeArquivoTexto(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// Runs exe with args (no shell: nothing is quoted or expanded) and the environment with `ambiente`
// added or replacing its names, in `pasta` as its working folder (where a user's run leaves the files
// it names without a folder); stdout and stderr are kept there as <nome>.out and <nome>.err.
// Everything the child needs is built before the fork: threads of this process (loopback fakes)
// keep running, and the child touches no lock they may hold.
inline pid_t IniciaPrograma(const std::string& exe, const std::vector<std::string>& args,
                            const std::map<std::string, std::string>& ambiente, const std::filesystem::path& pasta,
                            const std::string& nome) {
  const std::filesystem::path out = pasta / (nome + ".out"), err = pasta / (nome + ".err");
  const std::string trabalho = pasta.string();
  std::string programa = exe;
  std::vector<std::string> textos(args);
  std::vector<char*> argv{programa.data()};
  for (std::string& a : textos) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string v = *e;
    if (!ambiente.count(v.substr(0, v.find('=')))) env.push_back(v);
  }
  for (const auto& [k, v] : ambiente) env.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!std::freopen(out.c_str(), "w", stdout) || !std::freopen(err.c_str(), "w", stderr) ||
        !std::freopen("/dev/null", "r", stdin) || ::chdir(trabalho.c_str()) != 0)
      ::_exit(127);
    ::execve(programa.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  return pid;
}

inline TSaidaProcesso EsperaPrograma(pid_t pid, const std::filesystem::path& pasta, const std::string& nome) {
  int rc = 0;
  if (pid < 0 || ::waitpid(pid, &rc, 0) != pid) return {};
  return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, LeArquivoTexto(pasta / (nome + ".out")),
          LeArquivoTexto(pasta / (nome + ".err"))};
}

inline TSaidaProcesso ExecutaPrograma(const std::string& exe, const std::vector<std::string>& args,
                                      const std::map<std::string, std::string>& ambiente,
                                      const std::filesystem::path& pasta, const std::string& nome = "saida") {
  return EsperaPrograma(IniciaPrograma(exe, args, ambiente, pasta, nome), pasta, nome);
}

// As ExecutaPrograma, and sends `sinal` once pronto() holds (a user pressing Ctrl+C when the screen
// shows something). Waits at most `limite_s` seconds for it or the end; past that the program is killed
// and the run fails. MsAposSinal: how long the program took to end after the signal.
inline TSaidaProcesso ExecutaProgramaInterrompendoQuando(const std::string& exe, const std::vector<std::string>& args,
                                                         const std::map<std::string, std::string>& ambiente,
                                                         const std::filesystem::path& pasta, const std::string& nome,
                                                         const std::function<bool()>& pronto, int sinal,
                                                         int limite_s = 300) {
  // An earlier run's output under the same name must not be taken for this one's before the child
  // has replaced it.
  std::error_code ec;
  std::filesystem::remove(pasta / (nome + ".out"), ec);
  std::filesystem::remove(pasta / (nome + ".err"), ec);
  const pid_t pid = IniciaPrograma(exe, args, ambiente, pasta, nome);
  if (pid < 0) return {};
  std::chrono::steady_clock::time_point enviado{};
  for (int i = 0; i < limite_s * 200; ++i) {
    int rc = 0;
    if (::waitpid(pid, &rc, WNOHANG) == pid) {
      TSaidaProcesso r{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, LeArquivoTexto(pasta / (nome + ".out")),
                       LeArquivoTexto(pasta / (nome + ".err"))};
      if (enviado != std::chrono::steady_clock::time_point{})
        r.MsAposSinal = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now() - enviado)
                                             .count());
      return r;
    }
    if (enviado == std::chrono::steady_clock::time_point{} && pronto()) {
      ::kill(pid, sinal);
      enviado = std::chrono::steady_clock::now();
    }
    ::usleep(5000);
  }
  ::kill(pid, SIGKILL);
  return EsperaPrograma(pid, pasta, nome);
}

// Sends the signal once the program's output holds `texto`.
inline TSaidaProcesso ExecutaProgramaInterrompendo(const std::string& exe, const std::vector<std::string>& args,
                                                   const std::map<std::string, std::string>& ambiente,
                                                   const std::filesystem::path& pasta, const std::string& nome,
                                                   const std::string& texto, int sinal, int limite_s = 300) {
  auto pronto = [&] {
    return LeArquivoTexto(pasta / (nome + ".out")).find(texto) != std::string::npos ||
           LeArquivoTexto(pasta / (nome + ".err")).find(texto) != std::string::npos;
  };
  return ExecutaProgramaInterrompendoQuando(exe, args, ambiente, pasta, nome, pronto, sinal, limite_s);
}

}  // namespace vyn
