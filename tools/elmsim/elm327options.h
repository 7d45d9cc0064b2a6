// The command-line options of the ELM327 personality: --chip elm327 chooses
// it; the others shape its vehicle and adapter.
#pragma once

#include "elm327chip.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace elmsim {

class Elm327CommandLine {
public:
    void addTo(QCommandLineParser& parser) const;
    // True for --chip elm327; false for the default ELM323. An unknown chip
    // name or a bad value gives the error text in error.
    bool chosen(const QCommandLineParser& parser, QString& error) const;
    // Fills the personality's own options; error as above.
    void read(const QCommandLineParser& parser, Elm327Options& options, QString& error) const;

private:
    QCommandLineOption m_chip{"chip", "The chip to play: elm323 (default) or elm327.", "NAME",
                              "elm323"};
    QCommandLineOption m_protocol{
        "protocol", "ELM327: the vehicle's protocol: can11 (default), can29, iso9141 or kwp.",
        "NAME", "can11"};
    QCommandLineOption m_headersStored{"headers-stored",
                                       "ELM327: headers are on after a reset (ATH1 kept)."};
    QCommandLineOption m_units{"units", "ELM327: control units that answer, 1 or 2.", "N", "1"};
    QCommandLineOption m_searchMs{
        "search-ms", "ELM327: the protocol search takes MS (default 500).", "MS", "500"};
    QCommandLineOption m_ecuMs{"ecu-ms", "ELM327: each control unit takes MS to answer.", "MS",
                               "0"};
    QCommandLineOption m_adapterWait{
        "adapter-wait",
        "ELM327: after the answers the adapter waits MS for further ones, unless the request's "
        "count digit says how many come.",
        "MS", "0"};
    QCommandLineOption m_singlePid{"single-pid",
                                   "ELM327: a request for several PIDs is answered with ?."};
    QCommandLineOption m_ignitionOff{"ignition-off",
                                     "ELM327: no control unit answers; the search fails."};
};

} // namespace elmsim
