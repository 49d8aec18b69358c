#pragma once
// The user's notifications ("Notificações"): what a run finished in the background, named by a title,
// with the screen that takes it up and the parameters that screen reads. They are kept in the company
// database (VSH_NOTIFICACOES), so that what a background run brought is still there after the program
// that started it has ended; each is taken up once.
#include <optional>
#include <string>
#include <vector>

#include "framework/core/datetime.h"

namespace vyn {

class TDatabase;

struct TNotificacao {
  int Id = 0;
  std::string Usuario;
  TDateTime DataHora;
  std::string Titulo;
  std::string Classe;       // the screen opened with it
  std::string Parametros;   // what that screen reads (JSON text)
};

// How the module leaves a notification: the service the process context holds (ctx.Notificacoes).
class INotificacoes {
 public:
  virtual ~INotificacoes() = default;
  virtual void Notifica(const std::string& titulo, const std::string& classe, const std::string& parametros) = 0;
  // The notification this program took up goes back to its user's list: the screen it opened ended
  // without doing its work (a review closed without importing), so it is there for later.
  virtual void DevolveTomada() {}
};

class TNotificacoesBanco : public INotificacoes {
 public:
  explicit TNotificacoesBanco(TDatabase& db) : db_(db) {}
  // Written at once, in a transaction of its own: a background run's result must not wait for, nor
  // go with, whatever the screen has open.
  void Notifica(const std::string& titulo, const std::string& classe, const std::string& parametros) override;
  // The process user's notifications not taken up yet, oldest first: a notification is its user's.
  std::vector<TNotificacao> Pendentes() const;
  // The process user's notification, marked as taken; nothing when the user has no such notification
  // or it was taken before (what it brings is imported once).
  std::optional<TNotificacao> Toma(int id);
  void DevolveTomada() override;

 private:
  TDatabase& db_;
  int tomada_ = 0;   // the notification Toma gave this program, until given back
};

}  // namespace vyn
