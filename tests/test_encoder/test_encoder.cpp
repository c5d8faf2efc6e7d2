// Placeholder; the real test encoder follows.
int main() { return 0; }
