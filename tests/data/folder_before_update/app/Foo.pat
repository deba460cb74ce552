patch:Foo
