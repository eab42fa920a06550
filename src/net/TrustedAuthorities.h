// Certificate authorities trusted beyond the system's: a program built for a local help server
// (the demo's, the tests') trusts that server's authority too.
#pragma once

// Adds the authorities the program was built with to the default TLS configuration; nothing
// when there are none.
void trustBuiltInAuthorities();
