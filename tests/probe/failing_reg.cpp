// Stands in for the system's reg.exe in a throwaway prefix: every run fails.
int main() {
    return 1;
}
