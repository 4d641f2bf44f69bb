#pragma once

namespace serial {

class TCommPort;

// The line the boot loader speaks on: 10400 bit/s 8N1, no flow control of any kind, DTR and
// RTS inactive. The window and the command-line flasher both set their port this way.
void SetLoaderLine(TCommPort& port);

}  // namespace serial
