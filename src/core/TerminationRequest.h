// A request to end the process (a termination signal on Linux), noted at
// once by the platform's watch and honoured where the process can stop
// safely: between the blocks of start-up's long steps, before the message
// loop, in modal loops. The release steps then run as for an immediate
// exit, so that no temporary file is left behind.
#pragma once

namespace lumora {

// Notes the request. Safe to call from a signal handler.
void RequestTermination() noexcept;

bool TerminationRequested() noexcept;

// Raises EImmediateExit(0) once a termination was requested.
void CheckTermination();

}  // namespace lumora
