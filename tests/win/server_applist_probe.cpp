// A program that does nothing; its version resource is what the application list reads.
int main() { return 0; }
