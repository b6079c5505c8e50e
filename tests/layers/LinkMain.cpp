// The program a library is linked whole into by the layers test: every
// symbol the library uses must come from it or from the layers below it.
int main() { return 0; }
