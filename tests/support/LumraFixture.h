// Lumra on a simulated desktop: the application object, the form description as the exe holds
// it, and a few windows of other programs.
#pragma once

#include "SimDesktop.h"
#include "Unit1.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

inline std::string ReadHostFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string FormDescription() {
    return ReadHostFile(LUMRA_DFM_PATH);
}

class LumraTest : public ::testing::Test {
protected:
    SimDesktop sim;
    vcl::ApplicationScope app;
    win::HWND desktop = sim.AddDesktop();

    LumraTest() { sim.AddResource("TFORM1", FormDescription()); }
    ~LumraTest() override { Close(); }

    TForm1& Start() {
        vcl::Application->Initialize();
        vcl::Application->ShowMainForm = false;
        vcl::Application->CreateForm(Form1);
        return *Form1;
    }
    void Close() {
        if (Form1) vcl::Free(Form1);
    }
    const std::string iniPath = "C:\\Tools\\Lumra.ini";
    void StoreLevel(const std::string& text) {
        sim.WriteProfile(iniPath, "[Lumra]\r\nlay=" + text + "\r\n");
    }
};
