#pragma once
// A GRBL board on its own thread: the conversation of Automate over a Transport. Every
// call is safe from any thread; the window and the command line only read snapshots.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "grbl/automate_grbl.h"
#include "grbl/transport.h"

namespace korvelin::grbl {

class LiaisonGrbl {
public:
    // Called on the link's thread after anything the board said or the link did.
    using Observateur = std::function<void()>;

    LiaisonGrbl(std::unique_ptr<Transport> transport, Observateur observateur = {});
    // Stops the thread and closes the port; a job still running is left to the board.
    ~LiaisonGrbl();
    LiaisonGrbl(const LiaisonGrbl&) = delete;
    LiaisonGrbl& operator=(const LiaisonGrbl&) = delete;

    // f(Automate&) under the lock, then the thread wakes to send what it asked for.
    template <class F>
    auto Avec(F&& f) {
        struct Reveil {
            Transport& t;
            ~Reveil() { t.Reveille(); }
        } reveil{*transport_};
        std::lock_guard<std::mutex> verrou(mutex_);
        return f(automate_);
    }

    Instantane Etat();
    std::vector<std::string> Messages();
    // False once the port is lost or the board was given up.
    bool Active() const { return active_; }

private:
    void Boucle();

    std::unique_ptr<Transport> transport_;
    Observateur observateur_;
    std::mutex mutex_;
    Automate automate_;
    std::atomic<bool> arret_{false}, active_{true};
    std::thread fil_;
};

}  // namespace korvelin::grbl
