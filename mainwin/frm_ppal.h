// The main window: the list of hidden windows, the commands that show them again, and the
// target of the global hotkeys.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "startup/mod_mensajes.h"
#include "ui/controls.h"

namespace kvr {

class frmPpal;
// The main window while it exists; nullptr before the hand-over and after the exit.
frmPpal* MainWindow();

class frmPpal : public ui::Form, public modMensajes::HotkeyReceiver {
public:
    frmPpal();
    ~frmPpal() override;

    // Every hotkey the message loop takes arrives here.
    void RecibirMensajes(std::int32_t& id) override;

    bool ResizeArmed = false;
    bool TrayAreaHidden = false;

    // Controls, in design order.
    ui::ListView lsvVentanas;
    ui::ImageList imlApp;
    ui::PictureBox picIcono;
    ui::CommandButton cmdCerrar;
    ui::ImageList imlBarraH;
    ui::Toolbar tlbPpal;
    ui::PictureBox picSysTray;
    ui::PictureBox picIcon16;
    ui::Timer tmrPopUp;

    ui::MenuItem mnuVentanas;
    ui::MenuItem mnuMostrarUltima;
    ui::MenuItem mnuMostrarXClase;
    ui::MenuItem mnuMostrarXTitulo;
    ui::MenuItem mnuMostrarSeleccion;
    ui::MenuItem mnuMostrarTodas;
    ui::MenuItem mnuSep1;
    ui::MenuItem mnuCascada;
    ui::MenuItem mnuMosaicoV;
    ui::MenuItem mnuMosaicoH;
    ui::MenuItem mnuPref;
    ui::MenuItem mnuMostrarPref;
    ui::MenuItem mnuLengua;
    ui::MenuItem mmnuLenguasDisponibles;
    ui::MenuItem mnuAyuda;
    ui::MenuItem mnuMostrarAyuda;
    ui::MenuItem mnuAcercaDe;
    ui::MenuItem mnuWeb;
    ui::MenuItem mnu_ORQWeb;
    ui::MenuItem mnuKVR_Web;
    ui::MenuItem mnuWebFaq;
    ui::MenuItem mnu_OtrosProductos;
    ui::MenuItem mnuSalir;
    ui::MenuItem mnuTray;
    ui::MenuItem mnuSTMostrarPpal;
    ui::MenuItem mnuSTMostrarPref;
    ui::MenuItem mnuSTSep1;
    ui::MenuItem mnuSTMostrarUltima;
    ui::MenuItem mnuSTMostrarXClase;
    ui::MenuItem mnuSTMostrarXTitulo;
    ui::MenuItem mnuSTMostrarTodas;
    ui::MenuItem mnuSTSep2;
    ui::MenuItem mnuSTCascada;
    ui::MenuItem mnuSTMosaicoV;
    ui::MenuItem mnuSTMosaicoH;
    ui::MenuItem mnuSTSep3;
    ui::MenuItem mnuSTMostrarAyuda;
    ui::MenuItem mnuSTAbout;
    ui::MenuItem mnuSTSalir;

    void mnuSalir_Click();
    void cmdCerrar_Click() { mnuSalir_Click(); }
    void mnuSTSalir_Click() { mnuSalir_Click(); }
    void mnuSTMostrarPpal_Click();

protected:
    void Form_Load() override;
    bool Form_QueryUnload(ui::UnloadMode mode) override;
    void Form_Resize() override;
    void Form_Unload() override;

private:
    void wireEvents();
};

}  // namespace kvr
