// The sample class: a Tolvane4 makes a Tolvane4Priv to say its text.
#include "host/frozen.h"

#include <cstdio>

void Tolvane4::HelloWorld(const char* text) {
  Tolvane4Priv* priv = new Tolvane4Priv;
  priv->HelloWorldPriv(text);
  delete priv;
}

void Tolvane4Priv::HelloWorldPriv(const char* text) {
  std::fputs(text ? text : "", stdout);
  std::fputc('\n', stdout);
}
