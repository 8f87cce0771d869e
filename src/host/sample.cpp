#include "host/sample.h"

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
